// TablePrinter: a listing as aligned columns for people or as CSV for machines. Cells
// arrive in GBK and leave in the terminal's encoding; columns are aligned by display
// width, so double-width characters line up.
#ifndef DAVRIX_TOOL_TABLEPRINTER_H
#define DAVRIX_TOOL_TABLEPRINTER_H

#include "TerminalText.h"

#include <string>
#include <vector>

namespace davrix {
namespace tool {

class TablePrinter {
public:
    enum class Style { Aligned, Csv };
    struct Column {
        std::string title;
        bool alignRight;  // numbers
    };

    TablePrinter(const TerminalText& terminal, Style style, std::vector<Column> columns);

    void AddRow(const std::vector<std::string>& gbkCells);
    // Aligned: a title line, then one line per row, columns two spaces apart, no trailing
    // blanks, control characters shown as '?'. Csv: RFC 4180 quoting, "\n" line ends.
    std::string Render() const;
    size_t RowCount() const { return m_rows.size(); }

    // One CSV field: quoted (quotes doubled) when it holds a comma, quote, CR or LF.
    static std::string CsvField(const std::string& text);

private:
    const TerminalText& m_terminal;
    Style m_style;
    std::vector<Column> m_columns;
    std::vector<std::vector<std::string>> m_rows;  // terminal text
};

}  // namespace tool
}  // namespace davrix

#endif
