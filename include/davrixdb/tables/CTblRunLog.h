// CTblRunLog: one run-log entry of TABLE_RUNLOG. Entries are only ever added: every Save
// inserts a row (the database numbers [SID]) and leaves the set open for the next one.
#ifndef DAVRIXDB_TABLES_CTBLRUNLOG_H
#define DAVRIXDB_TABLES_CTBLRUNLOG_H

#include <davrixdb/product/CDAVRIXRecordset.h>
#include <davrixdb/tables/TableRecord.h>

class CTblRunLog : public CDAVRIXRecordset {
    DECLARE_DYNAMIC(CTblRunLog)
public:
    explicit CTblRunLog(CDatabase* pDatabase = nullptr);
    ~CTblRunLog() override;

    // Bound members ([STIME] is exchanged last, after [DESCR]).
    LONG m_SID;
    LONG m_NID;
    TIMESTAMP_STRUCT m_STIME;
    LONG m_FLAG;
    CString m_DESCR;

    // Value mirror, in the same order.
    LONG m_valSID;
    LONG m_valNID;
    TIMESTAMP_STRUCT m_valSTIME;
    LONG m_valFLAG;
    CString m_valDESCR;

    void DoFieldExchange(CFieldExchange* pFX) override;
    void ToVal() override;
    void AvilidData() override;
    void SetAllFieldNull() override;
    // Always an insert.
    int AddOREdit() override;
};

#endif
