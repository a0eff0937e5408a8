#include "TablePrinter.h"

#include <algorithm>

namespace davrix {
namespace tool {

TablePrinter::TablePrinter(const TerminalText& terminal, Style style, std::vector<Column> columns)
    : m_terminal(terminal), m_style(style), m_columns(std::move(columns)) {}

void TablePrinter::AddRow(const std::vector<std::string>& gbkCells) {
    std::vector<std::string> row;
    row.reserve(m_columns.size());
    for (size_t i = 0; i < m_columns.size(); ++i) {
        std::string cell = i < gbkCells.size() ? m_terminal.FromGbk(gbkCells[i]) : std::string();
        if (m_style == Style::Aligned) cell = TerminalText::Printable(cell);
        row.push_back(cell);
    }
    m_rows.push_back(std::move(row));
}

std::string TablePrinter::CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

std::string TablePrinter::Render() const {
    std::string out;
    if (m_style == Style::Csv) {
        auto line = [&out](const std::vector<std::string>& cells) {
            for (size_t i = 0; i < cells.size(); ++i) {
                if (i) out += ',';
                out += CsvField(cells[i]);
            }
            out += '\n';
        };
        std::vector<std::string> titles;
        for (const Column& c : m_columns) titles.push_back(c.title);
        line(titles);
        for (const auto& row : m_rows) line(row);
        return out;
    }

    std::vector<int> widths;
    for (const Column& c : m_columns) widths.push_back(TerminalText::Width(c.title));
    for (const auto& row : m_rows)
        for (size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], TerminalText::Width(row[i]));

    auto line = [&](const std::vector<std::string>& cells) {
        std::string text;
        for (size_t i = 0; i < cells.size(); ++i) {
            int pad = widths[i] - TerminalText::Width(cells[i]);
            bool last = i + 1 == cells.size();
            if (i) text += "  ";
            if (m_columns[i].alignRight) text.append(pad, ' ');
            text += cells[i];
            if (!m_columns[i].alignRight && !last) text.append(pad, ' ');
        }
        while (!text.empty() && text.back() == ' ') text.pop_back();
        out += text;
        out += '\n';
    };
    std::vector<std::string> titles;
    for (const Column& c : m_columns) titles.push_back(c.title);
    line(titles);
    for (const auto& row : m_rows) line(row);
    return out;
}

}  // namespace tool
}  // namespace davrix
