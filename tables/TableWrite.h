// The ways a table record prepares the row that Save writes: an update of the row a key
// filter finds, else an insert; or always an insert. Internal to the module.
#ifndef DAVRIXDB_TABLES_TABLEWRITE_H
#define DAVRIXDB_TABLES_TABLEWRITE_H

#include <davrixdb/recordset/CDadRecordset.h>

#include <functional>

namespace davrix {

// Opens the set on keyFilter and starts an Edit of its first row, or an AddNew when the
// query ran and found none; beforeStart(found) runs just before either. Non-zero when an
// edit or insert is pending, 0 when the query could not run (its text in GetError).
int EditOrAddNew(CDadRecordset& record, const CString& keyFilter,
                 const std::function<void(bool found)>& beforeStart = nullptr);

// Opens the set when it is closed (with whatever filter it holds), then starts an AddNew.
// An open set is reused as it is, so a run of Saves costs no query after the first.
int AddNewOnOpenSet(CDadRecordset& record);

// The body of a SQL string literal for text: every single quote doubled, so the text can
// never end the literal early.
CString LiteralBody(const CString& text);

}  // namespace davrix

#endif
