#include "tables/TableWrite.h"

namespace davrix {

int EditOrAddNew(CDadRecordset& record, const CString& keyFilter, const std::function<void(bool found)>& beforeStart) {
    if (record.Query(keyFilter)) {
        if (beforeStart) beforeStart(true);
        record.Edit();
    } else if (record.IsOpen()) {
        if (beforeStart) beforeStart(false);
        record.AddNew();
    }
    return record.IsOpen();
}

int AddNewOnOpenSet(CDadRecordset& record) {
    if (!record.IsOpen() && !record.Open()) return 0;
    record.AddNew();
    return record.IsOpen();
}

// A GBK trail byte is never 0x27, so doubling byte by byte cannot split a character.
CString LiteralBody(const CString& text) {
    CString body = text;
    body.Replace("'", "''");
    return body;
}

}  // namespace davrix
