#include <davrixdb/product/DataSource.h>
#include <davrixfw/OdbcInstaller.h>

#include "product/CRegKeyReader.h"
#include "product/DataSourceList.h"

namespace {

const char kAccessDriver[] = "Microsoft Access Driver (*.mdb)";

}  // namespace

int geIsDSNExist(LPCSTR lpszDSN) {
    davrix::dsn::Buffer path;
    size_t length = 0;
    if (!davrix::dsn::BuildRegistryPath(lpszDSN, path, &length)) return 0;
    CRegKeyReader reader;
    return reader.Open(HKEY_LOCAL_MACHINE, path);
}

int geDSNRemove(LPCSTR lpszDSN, LPCSTR lpszDriver) {
    davrix::dsn::Buffer list;
    size_t length = 0;
    if (!davrix::dsn::BuildRemoveList(lpszDSN, list, &length)) return 0;
    return AfxConfigDataSource(nullptr, ODBC_REMOVE_SYS_DSN, lpszDriver, list);
}

int geCreateAccessDSN(LPCSTR lpszDSN, LPCSTR lpszPath, LPCSTR lpszDescription) {
    davrix::dsn::Buffer list;
    size_t length = 0;
    if (!davrix::dsn::BuildAccessDsnList(lpszDSN, lpszPath, lpszDescription, list, &length)) return 0;
    return AfxConfigDataSource(nullptr, ODBC_ADD_SYS_DSN, kAccessDriver, list);
}
