// The tool's commands: words, operands, options, what each needs, and its function.
#include "Commands.h"
#include "Listing.h"

namespace davrix {
namespace tool {

namespace {

using Needs = CommandInfo::Needs;

const OptionInfo kDeviceFilter = {"device", "NID", "only those of the device with this key"};

}  // namespace

const std::vector<CommandInfo>& AllCommands() {
    static const std::vector<CommandInfo> commands = {
        {"init", "", 0, 0, "set up the station folder's ODBC configuration and the database schema",
         "Writes odbcinst.ini (the SQLite and PostgreSQL drivers, pooling on) and odbc.ini (the\n"
         "system data source DAVRIX) into the station folder, then creates the tables and views.\n"
         "Running it again changes nothing that is already in place.\n"
         "The embedded database is SQLite in DIR/station.db unless --sqlite or --postgres says otherwise.",
         {{"sqlite", "FILE", "the SQLite database file (default: DIR/station.db)"},
          {"postgres", "CONNECTION",
           "a PostgreSQL database: \"Servername=..;Port=..;Database=..;Username=..[;Password=..]\""},
          {"schema-dir", "DIR", "the folder of the schema files sqlite.sql and postgresql.sql"}},
         Needs::Init, RunInit},
        {"import", "DIR", 1, 1, "store the fault records (COMTRADE .cfg and .dat) of a folder tree",
         "One fault per record, found again by its path relative to DIR: a second import of the same\n"
         "records changes nothing. A record's device (the header's recording device id) is registered\n"
         "when new. Malformed records are reported as FILE:LINE: reason and skipped; the exit status is\n"
         "then 1.",
         {{"area", "TEXT", "the area (FAREA) of every record stored"}}, Needs::Database, RunImport},

        {"device list", "", 0, 0, "list the devices", "", {kCsvOption}, Needs::Database, RunDeviceList},
        {"device show", "NID", 1, 1, "show every column of a device", "", {}, Needs::Database, RunDeviceShow},
        {"device add", "", 0, 0, "register a device (--name is required)", "", DeviceOptions(), Needs::Database,
         RunDeviceAdd},
        {"device set", "NID", 1, 1, "change columns of a device", "", DeviceOptions(), Needs::Database, RunDeviceSet},
        {"device remove", "NID", 1, 1, "remove a device that has no fault records and no units", "",
         {{"force", "", "remove it even so (its records stay, without a device)"}}, Needs::Database,
         RunDeviceRemove},

        {"fault list", "", 0, 0, "list the fault records, oldest first", "", {kCsvOption, kDeviceFilter},
         Needs::Database, RunFaultList},
        {"fault show", "SID", 1, 1, "show every column of a fault record", "", {}, Needs::Database, RunFaultShow},
        {"fault remove", "SID", 1, 1, "remove a fault record (its files stay where they are)", "", {},
         Needs::Database, RunFaultRemove},

        {"unit list", "", 0, 0, "list the units", "", {kCsvOption, kDeviceFilter}, Needs::Database, RunUnitList},
        {"unit add", "", 0, 0, "add a unit (--device and --name are required)", "", UnitOptions(), Needs::Database,
         RunUnitAdd},
        {"unit set", "SID", 1, 1, "change a unit", "", UnitOptions(), Needs::Database, RunUnitSet},
        {"unit remove", "SID", 1, 1, "remove a unit", "", {}, Needs::Database, RunUnitRemove},

        {"runlog list", "", 0, 0, "list the run log, oldest first", "", {kCsvOption, kDeviceFilter},
         Needs::Database, RunRunLogList},
        {"runlog add", "", 0, 0, "add a run-log entry (--text is required)", "", RunLogOptions(), Needs::Database,
         RunRunLogAdd},

        {"autosend list", "", 0, 0, "list the auto-send entries", "", {kCsvOption}, Needs::Database,
         RunAutoSendList},
        {"autosend add", "FAULT_SID", 1, 1, "queue a fault record for sending on", "", {}, Needs::Database,
         RunAutoSendAdd},

        {"password scramble", "TEXT", 1, 1, "print the scrambled form of a password in hex", "", {}, Needs::Nothing,
         RunPasswordScramble},
        {"password unscramble", "HEX", 1, 1, "print the password a scrambled form holds", "", {}, Needs::Nothing,
         RunPasswordUnscramble},

        {"dsn exists", "NAME", 1, 1, "succeed when the system data source is registered", "", {}, Needs::Folder,
         RunDsnExists},
        {"dsn create-access", "NAME PATH", 2, 2, "register a data source for a Microsoft Access database file",
         "Needs the driver \"Microsoft Access Driver (*.mdb)\" in the folder's odbcinst.ini.",
         {{"description", "TEXT", "the data source's description"}}, Needs::Folder, RunDsnCreateAccess},
        {"dsn remove", "NAME DRIVER", 2, 2, "remove a system data source registered with that driver", "", {},
         Needs::Folder, RunDsnRemove},
    };
    return commands;
}

}  // namespace tool
}  // namespace davrix
