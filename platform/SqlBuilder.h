// The one place that builds statement texts: SELECT from bound columns, filter and sort;
// INSERT/UPDATE/DELETE addressed by key columns; and the translation of bracketed
// identifiers into the driver's quote. Works on UTF-8 text (convert before calling):
// in GBK a trail byte may be '[' or ']', in UTF-8 no multi-byte unit is ASCII.
// Internal to the stand-in.
#ifndef DAVRIXFW_SQLBUILDER_H
#define DAVRIXFW_SQLBUILDER_H

#include <string>
#include <vector>

namespace davrix {
namespace sql {

// Replaces [name] by <q>name<q> outside string literals ('...' with '' inside) and outside
// double-quoted identifiers. Inside brackets "]]" stands for one ']' and a quote character
// is doubled. With quote '[' the text is returned unchanged.
std::string TranslateBrackets(const std::string& text, char quote);

// True when the text is a statement (SELECT, WITH, VALUES or an ODBC call escape) rather
// than the name of a table or view.
bool IsStatement(const std::string& text);

// Splits an object name ("[OWNER].[TABLE]", "OWNER.TABLE", "\"T\"", "TABLE") into its
// parts without brackets or quotes. At most the last two parts are kept (schema, table).
void SplitObjectName(const std::string& name, std::string* pSchema, std::string* pTable);

// A quoted identifier: q + name (q doubled inside) + q.
std::string Quote(const std::string& name, char quote);
// Column as given by a field exchange ("[NID]" or NID) without its brackets.
std::string BareColumn(const std::string& name);

// SELECT c1,c2 FROM <source> [WHERE filter] [ORDER BY sort]. A source that is a statement
// is used as it stands with the filter and sort appended; a name is quoted part by part.
std::string BuildSelect(const std::vector<std::string>& columns, const std::string& source,
                        const std::string& filter, const std::string& sort, char quote);
std::string BuildInsert(const std::string& table, const std::vector<std::string>& columns, char quote);
std::string BuildUpdate(const std::string& table, const std::vector<std::string>& setColumns,
                        const std::vector<std::string>& keyColumns, char quote);
std::string BuildDelete(const std::string& table, const std::vector<std::string>& keyColumns, char quote);
// The quoted form of an object name for use after FROM/INTO/UPDATE.
std::string QuoteObjectName(const std::string& name, char quote);

// One literal of a filter sent as a parameter.
struct FilterParam {
    bool isText = false;
    long long number = 0;
    std::string text;  // UTF-8, quotes undoubled
};

// A filter that is exactly one column compared for equality with one literal ("[SID]=17",
// "[FFILE]='a.cfg'", as key lookups write them) becomes "<column>=?" with the literal as
// a parameter, so that the statement text repeats and its prepared form is reused. False
// (outputs untouched) for any other filter, which is then sent as it stands.
bool ParameterizeKeyFilter(const std::string& filter, std::string* pFilter, FilterParam* pParam);

}  // namespace sql
}  // namespace davrix

#endif
