// FaultImporter: stores the fault records of a folder tree (COMTRADE .cfg beside .dat) as
// rows of TABLE_FAULT, one per record, keyed by the record's path relative to the folder.
// A record whose header is malformed is reported and skipped; the others are stored.
// Importing the same tree again leaves the same rows.
#ifndef DAVRIX_TOOL_FAULTIMPORTER_H
#define DAVRIX_TOOL_FAULTIMPORTER_H

#include "ComtradeHeader.h"

#include <davrixfw/WinTypes.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace davrix {
namespace tool {

class FaultImporter {
public:
    enum class Outcome { Stored, Updated, Unchanged };

    // Why a record was skipped: "path:line: reason" or "path: reason" (GBK).
    struct Problem {
        std::string where;
        std::string reason;
        std::string Text() const { return where + ": " + reason; }
    };

    // A record checked and ready to be stored (texts in GBK).
    struct Prepared {
        ComtradeHeader header;
        std::string file;     // FFILE: the .cfg path relative to the folder, '/' separated
        std::string station;  // FDESCR
        std::string device;   // the device's NNAME
        LONG dataSize = 0;    // FSIZE
    };

    struct Summary {
        int stored = 0, updated = 0, unchanged = 0, skipped = 0, devicesAdded = 0;
        std::string Text() const;
    };

    // Largest .cfg file read; real headers are a few kilobytes.
    static const long kMaxHeaderBytes = 16L * 1024 * 1024;

    // areaGbk: FAREA for every record stored, when setArea.
    FaultImporter(std::string root, bool setArea, std::string areaGbk);

    // The .cfg files under the folder (letter case of the extension aside), relative paths
    // in sorted order, subfolders walked where they sort. Folders that cannot be read are
    // reported into *problems. Throws ToolError when the folder itself cannot be read.
    std::vector<std::string> FindRecords(std::vector<Problem>* problems) const;

    // Reads and checks one record without touching the database.
    bool Prepare(const std::string& relativePath, Prepared* out, Problem* problem) const;

    // Stores a prepared record through CTblFault (its device through CTblDevInfo).
    // Throws ToolError with the module's text when the database refuses.
    Outcome Store(const Prepared& record, Summary* summary);

    // All of it: problems and progress (done, total, path) are reported as they happen.
    // *summary counts as it goes, so it is right also when a database failure ends the run.
    void Run(Summary* summary, const std::function<void(const Problem&)>& report,
             const std::function<void(size_t, size_t, const std::string&)>& progress);

private:
    std::string m_root;
    bool m_setArea;
    std::string m_area;
    std::map<std::string, LONG> m_devices;  // NNAME to NID, for the length of a run
};

}  // namespace tool
}  // namespace davrix

#endif
