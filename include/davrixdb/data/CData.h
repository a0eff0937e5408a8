// CData: a byte buffer that either owns a global memory block (locked once while owned)
// or points at memory of the caller's, which it never frees. The members are public
// because the record set's transfer functions hand blocks in and out directly.
#ifndef DAVRIXDB_DATA_CDATA_H
#define DAVRIXDB_DATA_CDATA_H

#include <davrixfw/WinTypes.h>

class CData {
public:
    CData();
    virtual ~CData();
    // A copy would share the block and release it twice; Copy makes real copies.
    CData(const CData&) = delete;
    CData& operator=(const CData&) = delete;

    // n zero-filled bytes of a new block; 1 at once, contents kept, when n is the current
    // length. On failure (0) the buffer is empty; a zero-byte block cannot be had, so
    // Alloc(0) fails unless the buffer is empty already.
    int Alloc(DWORD n);
    // Releases an owned block, forgets caller memory; the buffer is empty afterwards.
    void Free();
    BYTE* Data();
    // The address of byte off; null when off is not inside the buffer.
    BYTE* Data(DWORD off);
    // Copies nCount items of nItemSize bytes each, all from pSource, to offsets
    // nOffset, nOffset + nItemSize, ...; 0 without writing when they would not all fit.
    int PutData(const void* pSource, DWORD nItemSize, DWORD nOffset, DWORD nCount);
    DWORD Length();
    // Points at caller memory, which stays the caller's. A null address with a length
    // counts as an empty buffer for Data(off), PointerIn and BufLength.
    int Attach(DWORD nLength, void* p);
    // Takes over hMem (the length is the caller's word). On failure the block is freed
    // all the same and the buffer is empty.
    int Attach(HGLOBAL hMem, DWORD nLength);
    // Hands the owned block (still locked) to the caller; null when pointing or empty.
    // The buffer is empty afterwards.
    HGLOBAL Detach();
    // Makes this buffer a copy of pOther's bytes; 0 when pOther is empty (this unchanged)
    // or memory cannot be had (this empty).
    int Copy(const CData* pOther);
    int PointerIn(const void* p);
    // Bytes from p to the end of the buffer; 0 when p is outside.
    DWORD BufLength(const void* p);
    void Zero();

    BYTE* m_pData;
    HGLOBAL m_hMem;
    DWORD m_dwLength;

private:
    void Release();
};

#endif
