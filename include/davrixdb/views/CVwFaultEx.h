// CVwFaultEx: the columns of CVwFault and, beside them, the device's office and station,
// read from VIEW_FAULT. Read-only.
#ifndef DAVRIXDB_VIEWS_CVWFAULTEX_H
#define DAVRIXDB_VIEWS_CVWFAULTEX_H

#include <davrixdb/product/CDAVRIXRecordset.h>
#include <davrixdb/tables/TableRecord.h>

class CVwFaultEx : public CDAVRIXRecordset {
    DECLARE_DYNAMIC(CVwFaultEx)
public:
    explicit CVwFaultEx(CDatabase* pDatabase = nullptr);
    ~CVwFaultEx() override;

    // In exchange order.
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
    CString m_OFFICE;
    CString m_STATION;

    void DoFieldExchange(CFieldExchange* pFX) override;
};

#endif
