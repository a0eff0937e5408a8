// CTblDevInfo: one row of the device table TABLE_DEVINFO, keyed by [NID]. The framework
// fills the bound members m_<COLUMN>; the application reads and sets the value mirror
// m_val<COLUMN>. Save updates the row whose [NID] is m_valNID, or inserts a new one whose
// key the database chooses.
#ifndef DAVRIXDB_TABLES_CTBLDEVINFO_H
#define DAVRIXDB_TABLES_CTBLDEVINFO_H

#include <davrixdb/product/CDAVRIXRecordset.h>
#include <davrixdb/tables/TableRecord.h>

class CTblDevInfo : public CDAVRIXRecordset {
    DECLARE_DYNAMIC(CTblDevInfo)
public:
    explicit CTblDevInfo(CDatabase* pDatabase = nullptr);
    ~CTblDevInfo() override;

    // Bound members, in exchange order.
    LONG m_NID;
    LONG m_NMODEL;
    CString m_NNAME;
    CString m_IP_ADDR;
    LONG m_ND_ADDR;
    CString m_LPATH;
    LONG m_COMTYPE;
    CString m_RADDR;
    CString m_RADDREX;
    LONG m_FLAG;
    CString m_CENTER;
    CString m_OFFICE;
    CString m_STATION;
    CString m_VMODEL;

    // Value mirror.
    LONG m_valNID;
    LONG m_valNMODEL;
    CString m_valNNAME;
    CString m_valIP_ADDR;
    LONG m_valND_ADDR;
    CString m_valLPATH;
    LONG m_valCOMTYPE;
    CString m_valRADDR;
    CString m_valRADDREX;
    LONG m_valFLAG;
    CString m_valCENTER;
    CString m_valOFFICE;
    CString m_valSTATION;
    CString m_valVMODEL;

    void DoFieldExchange(CFieldExchange* pFX) override;
    void ToVal() override;
    void AvilidData() override;
    void SetAllFieldNull() override;
    // Edit of the row whose [NID] is m_valNID, else an insert.
    int AddOREdit() override;
};

#endif
