#include <davrixdb/product/CDAVRIXRecordset.h>

#include "product/CRegKeyReader.h"

IMPLEMENT_DYNAMIC(CDAVRIXRecordset, CDadRecordset)

WORD CDAVRIXRecordset::m_wDrv = 0;

namespace {

// The product's own data source and the login that a SQL Server behind it expects.
const char kDataSource[] = "DAVRIX";
const char kServerUser[] = "RUVUDED";
const char kServerPassword[] = "351946";

// Driver library files, lower case, in the order they are tried: the first one found
// after the start of the registered path decides.
struct KnownDriver {
    const char* file;
    WORD kind;
    bool serverLogin;
};
const KnownDriver kKnownDrivers[] = {
    {"\\sqlsrv32.dll", 1, true},    // SQL Server
    {"\\odbcjt32.dll", 2, false},   // Access through the Jet driver
    {"\\sqlncli10.dll", 1, true},   // SQL Server Native Client 10
};

}  // namespace

// The first construction while no connection string is set fills in the default
// connection; every later one leaves the parameters alone.
CDAVRIXRecordset::CDAVRIXRecordset(CDatabase* pDatabase) : CDadRecordset(pDatabase) {
    if (!m_szConnection.IsEmpty()) return;

    CString user, password;
    CString subKey;
    subKey.Format("software\\odbc\\odbc.ini\\%s", kDataSource);
    CRegKeyReader reader;
    CString driver = reader.QueryString(HKEY_LOCAL_MACHINE, subKey, "Driver", CString());
    driver.MakeLower();
    // An unknown registration keeps the driver kind of an earlier detection.
    if (!driver.IsEmpty()) {
        WORD kind = 0;
        for (const KnownDriver& known : kKnownDrivers) {
            if (driver.Find(known.file) > 0) {
                kind = known.kind;
                if (known.serverLogin) {
                    user = kServerUser;
                    password = kServerPassword;
                }
                break;
            }
        }
        m_wDrv = kind;
    }
    SetConnectionParam(kDataSource, user, password);
}

CDAVRIXRecordset::~CDAVRIXRecordset() = default;

WORD CDAVRIXRecordset::GetDrv() { return m_wDrv; }

// Qualifies the name with the owner in force, then upper-cases the whole text.
void CDAVRIXRecordset::SetDefaultSQL(LPCSTR lpszSQL) {
    m_szDefaultSQL = GetObjectName(lpszSQL);
    m_szDefaultSQL.MakeUpper();
}
