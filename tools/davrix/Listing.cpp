#include "Listing.h"

#include <algorithm>
#include <cstdio>

namespace davrix {
namespace tool {

const OptionInfo kCsvOption = {"csv", "", "comma-separated values with a title line (RFC 4180 quoting)"};

TablePrinter::Style ListStyle(const Invocation& inv) {
    return inv.Has("csv") ? TablePrinter::Style::Csv : TablePrinter::Style::Aligned;
}

void PrintTable(const TablePrinter& table) {
    std::string text = table.Render();
    fwrite(text.data(), 1, text.size(), stdout);
}

void PrintRecord(const Invocation& inv, const std::vector<std::pair<std::string, std::string>>& lines) {
    size_t width = 0;
    for (const auto& l : lines) width = std::max(width, l.first.size());
    for (const auto& l : lines) {
        std::string value = TerminalText::Printable(inv.Terminal().FromGbk(l.second));
        std::string text = value.empty() ? l.first : l.first + std::string(width - l.first.size() + 2, ' ') + value;
        text += '\n';
        fwrite(text.data(), 1, text.size(), stdout);
    }
}

}  // namespace tool
}  // namespace davrix
