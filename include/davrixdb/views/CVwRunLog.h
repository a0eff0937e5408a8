// CVwRunLog: a run-log entry with its device's model and name, read from VIEW_RUNLOG.
// Read-only.
#ifndef DAVRIXDB_VIEWS_CVWRUNLOG_H
#define DAVRIXDB_VIEWS_CVWRUNLOG_H

#include <davrixdb/product/CDAVRIXRecordset.h>
#include <davrixdb/tables/TableRecord.h>

class CVwRunLog : public CDAVRIXRecordset {
    DECLARE_DYNAMIC(CVwRunLog)
public:
    explicit CVwRunLog(CDatabase* pDatabase = nullptr);
    ~CVwRunLog() override;

    // [STIME] is exchanged last, after [DESCR].
    LONG m_SID;
    LONG m_NID;
    LONG m_NMODEL;
    CString m_NNAME;
    TIMESTAMP_STRUCT m_STIME;
    LONG m_FLAG;
    CString m_DESCR;

    void DoFieldExchange(CFieldExchange* pFX) override;
};

#endif
