// CByteArray: a growable array of bytes. SetSize keeps the first elements, zero-fills new
// ones and grows the storage by the grow-by step (-1 keeps the current setting; 0 picks a
// step by size); it raises CMemoryException when it cannot grow.
#ifndef DAVRIXFW_CBYTEARRAY_H
#define DAVRIXFW_CBYTEARRAY_H

#include "CObject.h"

class CByteArray : public CObject {
    DECLARE_DYNAMIC(CByteArray)
public:
    CByteArray();
    ~CByteArray() override;
    CByteArray(const CByteArray&) = delete;
    CByteArray& operator=(const CByteArray&) = delete;

    LONG GetSize() const { return m_nSize; }
    LONG GetUpperBound() const { return m_nSize - 1; }
    void SetSize(LONG nNewSize, LONG nGrowBy = -1);
    void RemoveAll() { SetSize(0); }
    BYTE* GetData() { return m_pData; }
    const BYTE* GetData() const { return m_pData; }
    BYTE GetAt(LONG nIndex) const;
    void SetAt(LONG nIndex, BYTE b);
    LONG Add(BYTE b);

    // Fault injection for tests: the next n growths raise CMemoryException (0 turns it off).
    static void SetGrowFailures(int nFailures);

private:
    BYTE* m_pData;
    LONG m_nSize;
    LONG m_nMaxSize;
    LONG m_nGrowBy;
};

#endif
