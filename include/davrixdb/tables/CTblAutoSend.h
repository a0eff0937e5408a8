// CTblAutoSend: one entry of TABLE_AUTOSEND, naming in [FID] the fault record ([SID] of
// TABLE_FAULT) to be sent on. Entries are only ever added: every Save inserts a row.
#ifndef DAVRIXDB_TABLES_CTBLAUTOSEND_H
#define DAVRIXDB_TABLES_CTBLAUTOSEND_H

#include <davrixdb/product/CDAVRIXRecordset.h>

class CTblAutoSend : public CDAVRIXRecordset {
    DECLARE_DYNAMIC(CTblAutoSend)
public:
    explicit CTblAutoSend(CDatabase* pDatabase = nullptr);
    ~CTblAutoSend() override;

    // Bound members, in exchange order.
    LONG m_SID;
    LONG m_FID;

    // Value mirror.
    LONG m_valSID;
    LONG m_valFID;

    void DoFieldExchange(CFieldExchange* pFX) override;
    void ToVal() override;
    void AvilidData() override;
    void SetAllFieldNull() override;
    // Always an insert.
    int AddOREdit() override;
};

#endif
