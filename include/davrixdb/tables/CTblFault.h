// CTblFault: one fault record of TABLE_FAULT, keyed by [SID] and identified by its file
// name [FFILE]. Save updates the row that carries m_valFFILE (m_valSID then holds its
// key) or inserts a new one (m_valSID then 0: the database numbers the row).
#ifndef DAVRIXDB_TABLES_CTBLFAULT_H
#define DAVRIXDB_TABLES_CTBLFAULT_H

#include <davrixdb/product/CDAVRIXRecordset.h>
#include <davrixdb/tables/TableRecord.h>

class CTblFault : public CDAVRIXRecordset {
    DECLARE_DYNAMIC(CTblFault)
public:
    explicit CTblFault(CDatabase* pDatabase = nullptr);
    ~CTblFault() override;

    // Bound members, in exchange order.
    LONG m_SID;
    LONG m_NID;
    LONG m_FAN;
    TIMESTAMP_STRUCT m_FTIME;
    LONG m_FMS;
    LONG m_FTYPE;
    LONG m_FJMP;
    double m_FPOS;
    CString m_FFILE;
    LONG m_FCODE;
    LONG m_FSIZE;
    CString m_FDESCR;
    CString m_FAREA;
    double m_FREALPOS;
    LONG m_FAVFLAG;
    CString m_SUMMARY;

    // Value mirror.
    LONG m_valSID;
    LONG m_valNID;
    LONG m_valFAN;
    TIMESTAMP_STRUCT m_valFTIME;
    LONG m_valFMS;
    LONG m_valFTYPE;
    LONG m_valFJMP;
    double m_valFPOS;
    CString m_valFFILE;
    LONG m_valFCODE;
    LONG m_valFSIZE;
    CString m_valFDESCR;
    CString m_valFAREA;
    double m_valFREALPOS;
    LONG m_valFAVFLAG;
    CString m_valSUMMARY;

    void DoFieldExchange(CFieldExchange* pFX) override;
    void ToVal() override;
    void AvilidData() override;
    void SetAllFieldNull() override;
    // Edit of the first row whose [FFILE] is m_valFFILE, else an insert.
    int AddOREdit() override;

    // Loads the record whose [SID] is lSID into the mirror; 0 (reason in GetError) when
    // there is none. The filter stays set to that key.
    int GetRecord(LONG lSID);
};

#endif
