// CVwAutoSend: an auto-send entry with the fault record it names and that fault's device,
// read from VIEW_AUTOSEND. Read-only. The fault time arrives as a time value (CTime); a
// moment that 32 bits of seconds cannot hold arrives as the invalid time.
#ifndef DAVRIXDB_VIEWS_CVWAUTOSEND_H
#define DAVRIXDB_VIEWS_CVWAUTOSEND_H

#include <davrixdb/product/CDAVRIXRecordset.h>

class CVwAutoSend : public CDAVRIXRecordset {
    DECLARE_DYNAMIC(CVwAutoSend)
public:
    explicit CVwAutoSend(CDatabase* pDatabase = nullptr);
    ~CVwAutoSend() override;

    // In exchange order. m_FTIME holds what CTime's constructor gives until a row is fetched.
    LONG m_SID;
    LONG m_FID;
    LONG m_NID;
    CString m_NNAME;
    LONG m_FAN;
    CTime m_FTIME;
    LONG m_FMS;
    LONG m_FTYPE;
    LONG m_FJMP;
    double m_FPOS;
    CString m_FFILE;
    LONG m_FCODE;
    LONG m_FSIZE;
    CString m_FDESCR;
    CString m_FAREA;
    LONG m_COMTYPE;
    CString m_RADDR;
    CString m_RADDREX;

    void DoFieldExchange(CFieldExchange* pFX) override;
};

#endif
