// dsn exists|create-access|remove over geIsDSNExist, geCreateAccessDSN and geDSNRemove, on
// the system data sources of the station folder.
#include "Commands.h"
#include "GbkText.h"
#include "ToolError.h"

#include <davrixdb/product/DataSource.h>

namespace davrix {
namespace tool {

int RunDsnExists(Invocation& inv) {
    std::string name = inv.Gbk(inv.operands[0], "NAME");
    if (!geIsDSNExist(name.c_str())) throw ToolError("no system data source '" + name + "' in " + DisplayGbk(inv.dir));
    inv.PrintLine("data source '" + name + "' exists");
    return 0;
}

int RunDsnCreateAccess(Invocation& inv) {
    std::string name = inv.Gbk(inv.operands[0], "NAME");
    std::string path = inv.Gbk(inv.operands[1], "PATH");
    std::string description = inv.Gbk(inv.Value("description"), "--description");
    if (!geCreateAccessDSN(name.c_str(), path.c_str(), description.c_str()))
        throw ToolError("cannot register data source '" + name +
                        "': the driver \"Microsoft Access Driver (*.mdb)\" must be registered in " +
                        DisplayGbk(inv.dir) + "/odbcinst.ini, and name and path must be valid (no '?')");
    inv.PrintLine("registered data source '" + name + "'");
    return 0;
}

int RunDsnRemove(Invocation& inv) {
    std::string name = inv.Gbk(inv.operands[0], "NAME");
    std::string driver = inv.Gbk(inv.operands[1], "DRIVER");
    if (!geDSNRemove(name.c_str(), driver.c_str()))
        throw ToolError("cannot remove data source '" + name + "' with driver '" + driver +
                        "' (is it registered, and the driver too?)");
    inv.PrintLine("removed data source '" + name + "'");
    return 0;
}

}  // namespace tool
}  // namespace davrix
