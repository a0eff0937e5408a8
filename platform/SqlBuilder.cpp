#include "SqlBuilder.h"

#include <cctype>
#include <cstdlib>

namespace davrix {
namespace sql {

namespace {

bool StartsWithWord(const std::string& text, size_t pos, const char* word) {
    size_t n = 0;
    for (; word[n]; ++n) {
        if (pos + n >= text.size() || toupper((unsigned char)text[pos + n]) != word[n]) return false;
    }
    return pos + n == text.size() || !(isalnum((unsigned char)text[pos + n]) || text[pos + n] == '_');
}

// Bracket and quote characters are ASCII; UTF-8 continuation bytes never match them.
void AppendIdentifier(std::string& out, const std::string& name, char quote) {
    out += quote;
    for (char c : name) {
        if (c == quote) out += quote;
        out += c;
    }
    out += quote;
}

}  // namespace

std::string TranslateBrackets(const std::string& text, char quote) {
    if (quote == '[' || text.find('[') == std::string::npos) return text;
    std::string out;
    out.reserve(text.size() + 8);
    size_t i = 0;
    const size_t n = text.size();
    while (i < n) {
        char c = text[i];
        if (c == '\'' || c == '"') {
            // Copy a literal or a quoted identifier whole, doubled delimiters included.
            size_t j = i + 1;
            while (j < n) {
                if (text[j] == c) {
                    if (j + 1 < n && text[j + 1] == c) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            size_t end = j < n ? j + 1 : n;
            out.append(text, i, end - i);
            i = end;
        } else if (c == '[') {
            std::string name;
            size_t j = i + 1;
            bool closed = false;
            while (j < n) {
                if (text[j] == ']') {
                    if (j + 1 < n && text[j + 1] == ']') {
                        name += ']';
                        j += 2;
                        continue;
                    }
                    closed = true;
                    break;
                }
                name += text[j++];
            }
            if (!closed) {  // not an identifier: leave the rest alone
                out.append(text, i, n - i);
                break;
            }
            AppendIdentifier(out, name, quote);
            i = j + 1;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

bool IsStatement(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && isspace((unsigned char)text[i])) ++i;
    if (i < text.size() && (text[i] == '{' || text[i] == '(')) return true;
    return StartsWithWord(text, i, "SELECT") || StartsWithWord(text, i, "WITH") || StartsWithWord(text, i, "VALUES");
}

void SplitObjectName(const std::string& name, std::string* pSchema, std::string* pTable) {
    std::vector<std::string> parts;
    std::string cur;
    size_t i = 0;
    const size_t n = name.size();
    while (i < n) {
        char c = name[i];
        if (c == '[' || c == '"') {
            char close = c == '[' ? ']' : '"';
            size_t j = i + 1;
            while (j < n) {
                if (name[j] == close) {
                    if (j + 1 < n && name[j + 1] == close) {
                        cur += close;
                        j += 2;
                        continue;
                    }
                    break;
                }
                cur += name[j++];
            }
            i = j + 1;
        } else if (c == '.') {
            parts.push_back(cur);
            cur.clear();
            ++i;
        } else if (isspace((unsigned char)c)) {
            ++i;
        } else {
            cur += c;
            ++i;
        }
    }
    parts.push_back(cur);
    if (pTable) *pTable = parts.back();
    if (pSchema) *pSchema = parts.size() >= 2 ? parts[parts.size() - 2] : std::string();
}

std::string Quote(const std::string& name, char quote) {
    std::string out;
    if (quote == '[') {
        out += '[';
        for (char c : name) {
            out += c;
            if (c == ']') out += ']';
        }
        out += ']';
        return out;
    }
    AppendIdentifier(out, name, quote);
    return out;
}

std::string BareColumn(const std::string& name) {
    std::string schema, column;
    SplitObjectName(name, &schema, &column);
    return column;
}

std::string QuoteObjectName(const std::string& name, char quote) {
    std::string schema, table;
    SplitObjectName(name, &schema, &table);
    return schema.empty() ? Quote(table, quote) : Quote(schema, quote) + "." + Quote(table, quote);
}

std::string BuildSelect(const std::vector<std::string>& columns, const std::string& source,
                        const std::string& filter, const std::string& sort, char quote) {
    std::string out;
    if (IsStatement(source)) {
        out = TranslateBrackets(source, quote);
    } else {
        out = "SELECT ";
        for (size_t i = 0; i < columns.size(); ++i) {
            if (i) out += ',';
            out += TranslateBrackets(columns[i], quote);
        }
        if (columns.empty()) out += '*';
        out += " FROM ";
        out += QuoteObjectName(source, quote);
    }
    if (!filter.empty()) out += " WHERE " + TranslateBrackets(filter, quote);
    if (!sort.empty()) out += " ORDER BY " + TranslateBrackets(sort, quote);
    return out;
}

std::string BuildInsert(const std::string& table, const std::vector<std::string>& columns, char quote) {
    std::string out = "INSERT INTO " + QuoteObjectName(table, quote) + " (";
    std::string values;
    for (size_t i = 0; i < columns.size(); ++i) {
        if (i) {
            out += ',';
            values += ',';
        }
        out += Quote(BareColumn(columns[i]), quote);
        values += '?';
    }
    return out + ") VALUES (" + values + ")";
}

namespace {
std::string KeyCondition(const std::vector<std::string>& keys, char quote) {
    std::string out;
    for (size_t i = 0; i < keys.size(); ++i) {
        if (i) out += " AND ";
        out += Quote(BareColumn(keys[i]), quote) + "=?";
    }
    return out;
}
}  // namespace

std::string BuildUpdate(const std::string& table, const std::vector<std::string>& setColumns,
                        const std::vector<std::string>& keyColumns, char quote) {
    std::string out = "UPDATE " + QuoteObjectName(table, quote) + " SET ";
    for (size_t i = 0; i < setColumns.size(); ++i) {
        if (i) out += ',';
        out += Quote(BareColumn(setColumns[i]), quote) + "=?";
    }
    return out + " WHERE " + KeyCondition(keyColumns, quote);
}

std::string BuildDelete(const std::string& table, const std::vector<std::string>& keyColumns, char quote) {
    return "DELETE FROM " + QuoteObjectName(table, quote) + " WHERE " + KeyCondition(keyColumns, quote);
}

bool ParameterizeKeyFilter(const std::string& filter, std::string* pFilter, FilterParam* pParam) {
    size_t i = 0;
    const size_t n = filter.size();
    auto skipSpaces = [&] {
        while (i < n && isspace((unsigned char)filter[i])) ++i;
    };
    skipSpaces();
    size_t colStart = i;
    if (i < n && filter[i] == '[') {
        size_t close = filter.find(']', i + 1);
        if (close == std::string::npos || close == i + 1 || (close + 1 < n && filter[close + 1] == ']')) return false;
        i = close + 1;
    } else {
        if (i >= n || !(isalpha((unsigned char)filter[i]) || filter[i] == '_')) return false;
        while (i < n && (isalnum((unsigned char)filter[i]) || filter[i] == '_')) ++i;
    }
    std::string column = filter.substr(colStart, i - colStart);
    skipSpaces();
    if (i >= n || filter[i] != '=') return false;
    ++i;
    skipSpaces();
    FilterParam param;
    if (i < n && filter[i] == '\'') {
        param.isText = true;
        ++i;
        bool closed = false;
        while (i < n) {
            if (filter[i] == '\'') {
                if (i + 1 < n && filter[i + 1] == '\'') {
                    param.text += '\'';
                    i += 2;
                    continue;
                }
                closed = true;
                ++i;
                break;
            }
            param.text += filter[i++];
        }
        if (!closed) return false;
    } else {
        size_t start = i;
        if (i < n && filter[i] == '-') ++i;
        size_t digits = i;
        while (i < n && isdigit((unsigned char)filter[i])) ++i;
        if (i == digits || i - digits > 18) return false;
        param.number = strtoll(filter.substr(start, i - start).c_str(), nullptr, 10);
    }
    skipSpaces();
    if (i != n) return false;
    *pFilter = column + "=?";
    *pParam = param;
    return true;
}

}  // namespace sql
}  // namespace davrix
