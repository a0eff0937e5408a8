// import DIR: the fault records of a folder tree into the fault table.
#include "Commands.h"
#include "FaultImporter.h"
#include "FieldValue.h"
#include "GbkText.h"
#include "ProgressBar.h"
#include "StationFolder.h"
#include "ToolError.h"

#include <memory>

namespace davrix {
namespace tool {

int RunImport(Invocation& inv) {
    std::string root = StationFolder::Absolute(inv.operands[0]);
    std::string area;
    if (inv.Has("area")) {
        area = inv.Gbk(inv.Value("area"), "--area");
        CheckTextWidth(area, 64, "--area");
    }
    FaultImporter importer(root, inv.Has("area"), area);
    FaultImporter::Summary summary;
    std::unique_ptr<ProgressBar> bar;  // made at the first record, when the count is known
    auto report = [&](const FaultImporter::Problem& p) {
        if (bar) bar->Clear();
        inv.Note(p.Text() + "\n");
    };
    auto progress = [&](size_t done, size_t total, const std::string& path) {
        if (!bar) bar.reset(new ProgressBar(total));
        bar->Update(done, inv.Terminal().FromGbk(DisplayGbk(path)));
    };
    try {
        importer.Run(&summary, report, progress);
    } catch (const ToolError&) {
        if (bar) bar->Clear();
        inv.PrintLine("import of " + DisplayGbk(inv.operands[0]) + " stopped: " + summary.Text());
        throw;
    }
    if (bar) bar->Clear();
    inv.PrintLine("imported " + DisplayGbk(inv.operands[0]) + ": " + summary.Text());
    int total = summary.stored + summary.updated + summary.unchanged + summary.skipped;
    if (summary.skipped > 0)
        throw ToolError(std::to_string(summary.skipped) + " of " + std::to_string(total) +
                        " records skipped (reasons above)");
    return 0;
}

}  // namespace tool
}  // namespace davrix
