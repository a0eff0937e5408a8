// CVwFault: a fault record with its device's model and name, read from VIEW_FAULT.
// Read-only: fetched rows are in the members themselves; Save returns 0 and writes nothing.
#ifndef DAVRIXDB_VIEWS_CVWFAULT_H
#define DAVRIXDB_VIEWS_CVWFAULT_H

#include <davrixdb/product/CDAVRIXRecordset.h>
#include <davrixdb/tables/TableRecord.h>

class CVwFault : public CDAVRIXRecordset {
    DECLARE_DYNAMIC(CVwFault)
public:
    explicit CVwFault(CDatabase* pDatabase = nullptr);
    ~CVwFault() override;

    // In exchange order ([FAREA] before [FFILE], unlike the fault table).
    LONG m_SID;
    LONG m_NID;
    LONG m_NMODEL;
    CString m_NNAME;
    LONG m_FAN;
    TIMESTAMP_STRUCT m_FTIME;
    LONG m_FMS;
    LONG m_FTYPE;
    LONG m_FJMP;
    double m_FPOS;
    CString m_FAREA;
    CString m_FFILE;
    LONG m_FCODE;
    LONG m_FSIZE;
    CString m_FDESCR;
    double m_FREALPOS;
    LONG m_FAVFLAG;
    CString m_SUMMARY;

    void DoFieldExchange(CFieldExchange* pFX) override;
};

#endif
