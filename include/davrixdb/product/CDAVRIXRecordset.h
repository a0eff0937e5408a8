// CDAVRIXRecordset: the product's record set. Its first construction in a process (while
// the connection string is empty) fills in the data source "DAVRIX" with the user id and
// password that go with the driver registered for it, and sets the driver kind m_wDrv.
#ifndef DAVRIXDB_PRODUCT_CDAVRIXRECORDSET_H
#define DAVRIXDB_PRODUCT_CDAVRIXRECORDSET_H

#include <davrixdb/recordset/CDadRecordset.h>

class CDAVRIXRecordset : public CDadRecordset {
    DECLARE_DYNAMIC(CDAVRIXRecordset)
public:
    explicit CDAVRIXRecordset(CDatabase* pDatabase = nullptr);
    ~CDAVRIXRecordset() override;

    // 0 any other driver, 1 SQL Server, 2 Access through the Jet driver.
    static WORD m_wDrv;
    static WORD GetDrv();

    // Stores the owner-qualified, upper-case name.
    void SetDefaultSQL(LPCSTR lpszSQL) override;

    // Long-binary value into caller memory (at most nCapacity bytes) and back.
    void BinToBuf(CLongBinary* pLB, void* pDest, DWORD nCapacity, DWORD& nCopied);
    void BufToBin(CLongBinary* pLB, const void* pSource, DWORD nLength);
};

#endif
