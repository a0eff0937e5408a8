// CTblUntInfo: one unit of TABLE_UNTINFO, keyed by [SID]. Save updates the row whose
// [SID] is m_valSID, or inserts a new one whose key the database chooses.
#ifndef DAVRIXDB_TABLES_CTBLUNTINFO_H
#define DAVRIXDB_TABLES_CTBLUNTINFO_H

#include <davrixdb/product/CDAVRIXRecordset.h>

class CTblUntInfo : public CDAVRIXRecordset {
    DECLARE_DYNAMIC(CTblUntInfo)
public:
    explicit CTblUntInfo(CDatabase* pDatabase = nullptr);
    ~CTblUntInfo() override;

    // Bound members, in exchange order.
    LONG m_SID;
    LONG m_DID;
    CString m_SNAME;

    // Value mirror.
    LONG m_valSID;
    LONG m_valDID;
    CString m_valSNAME;

    void DoFieldExchange(CFieldExchange* pFX) override;
    void ToVal() override;
    void AvilidData() override;
    void SetAllFieldNull() override;
    // Edit of the row whose [SID] is m_valSID, else an insert.
    int AddOREdit() override;
};

#endif
