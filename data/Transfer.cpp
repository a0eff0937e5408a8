// Byte transfers between CData buffers and long-binary values, byte arrays and files.
// None of them uses the record set's own state.
#include <davrixdb/recordset/CDadRecordset.h>
#include <davrixdb/product/CDAVRIXRecordset.h>
#include <davrixdb/data/CData.h>

#include <davrixfw/GlobalMemory.h>
#include <davrixfw/CMemoryException.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

// Files move in pieces of this size.
const DWORD kFileChunk = 8192;

// Bytes of a long-binary block that may be read: the recorded length, never past the block.
DWORD ReadableLength(const CLongBinary* pLB) {
    size_t size = GlobalSize(pLB->m_hData);
    return size < pLB->m_dwDataLength ? (DWORD)size : pLB->m_dwDataLength;
}

// A new unlocked GMEM_MOVEABLE block holding n bytes from p; null when none can be had.
HGLOBAL CopyToNewBlock(const BYTE* p, DWORD n) {
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, n);
    if (!h) return nullptr;
    void* pDest = GlobalLock(h);
    if (!pDest) {
        GlobalFree(h);
        return nullptr;
    }
    memcpy(pDest, p, n);
    GlobalUnlock(h);
    return h;
}

// Closes a file after a failed transfer; an error from the close is dropped.
void CloseQuietly(CFile& file) {
    try {
        file.Close();
    } catch (CException* e) {
        e->Delete();
    }
}

// The end of a failed file transfer: the file closed, the buffer released, 0.
int FailTransfer(CFile& file, CData* pData) {
    CloseQuietly(file);
    pData->Free();
    return 0;
}


// Opens the named file, runs one transfer on it and closes it: 0 with the buffer untouched
// when the file cannot be opened; an error on the final close empties the buffer and
// counts as a failed transfer.
template <class Transfer>
int WithNamedFile(LPCSTR lpszFileName, UINT nOpenFlags, CData* pData, Transfer transfer) {
    if (!pData) return 0;
    CFile file;
    if (!file.Open(lpszFileName, nOpenFlags)) return 0;
    int result = transfer(file, pData);
    try {
        file.Close();
    } catch (CFileException* e) {
        e->Delete();
        pData->Free();
        return 0;
    }
    return result;
}

}  // namespace

// The buffer's block passes to the long binary as it is (still locked once) and the buffer
// ends empty; caller memory is copied into a new block. An empty buffer leaves the long
// binary empty. If the copy cannot be made the long binary is empty and the buffer as it was.
void CDadRecordset::DatatoLB(CData* pData, CLongBinary* pLB) {
    if (!pData || !pLB) return;
    HGLOBAL hNew = nullptr;
    const DWORD n = pData->m_pData ? pData->m_dwLength : 0;
    // Copy before the long binary's old block goes: the buffer may point into it.
    if (n != 0) hNew = pData->m_hMem ? pData->m_hMem : CopyToNewBlock(pData->m_pData, n);
    if (pLB->m_dwDataLength != 0 && pLB->m_hData) {
        if (pLB->m_hData != hNew) GlobalFree(pLB->m_hData);
        pLB->m_dwDataLength = 0;
        pLB->m_hData = nullptr;
    }
    if (!hNew) return;
    // A zero-length block of the long binary's own would be lost by the overwrite.
    if (pLB->m_hData && pLB->m_hData != hNew) GlobalFree(pLB->m_hData);
    pLB->m_hData = hNew;
    pLB->m_dwDataLength = n;
    pData->m_pData = nullptr;
    pData->m_hMem = nullptr;
    pData->m_dwLength = 0;
}

// The buffer gets its own copy of the long binary's bytes; the long binary is left as it
// was (its lock count too). The buffer ends empty when there is nothing to copy or no memory.
void CDadRecordset::LBtoData(CLongBinary* pLB, CData* pData) {
    if (!pData) return;
    pData->Free();
    if (!pLB || pLB->m_dwDataLength == 0 || !pLB->m_hData) return;
    const BYTE* pSource = static_cast<const BYTE*>(GlobalLock(pLB->m_hData));
    if (!pSource) return;
    if (pData->Alloc(pLB->m_dwDataLength)) {
        DWORD n = ReadableLength(pLB);
        if (pData->m_pData && pData->m_dwLength >= n) memcpy(pData->m_pData, pSource, n);
    }
    GlobalUnlock(pLB->m_hData);
}

// The array becomes a copy of the buffer's bytes and the buffer is released. When the array
// cannot grow, both stay as they were.
void CDadRecordset::DatatoLB(CData* pData, CByteArray* pArray) {
    if (!pData || !pArray) return;
    const DWORD n = pData->m_pData ? pData->m_dwLength : 0;
    // The array counts in 32-bit signed sizes; a larger buffer cannot fit.
    if (n > (DWORD)INT32_MAX) return;
    try {
        pArray->SetSize((LONG)n, -1);
    } catch (CMemoryException* e) {
        e->Delete();
        return;
    }
    if (n != 0) memcpy(pArray->GetData(), pData->m_pData, n);
    pData->Free();
}

// The buffer becomes an owned copy of the array's bytes; empty for an empty array or when
// no memory can be had. The array is left alone.
void CDadRecordset::LBtoData(CByteArray* pArray, CData* pData) {
    if (!pData) return;
    pData->Free();
    if (!pArray) return;
    LONG count = pArray->GetSize();
    if (count <= 0 || !pArray->GetData()) return;
    if (!pData->Alloc((DWORD)count)) return;
    memcpy(pData->m_pData, pArray->GetData(), (size_t)count);
}

// 0 with the buffer untouched when the file cannot be opened; otherwise as the open-file form.
int CDadRecordset::ReadFile(LPCSTR lpszFileName, CData* pData) {
    return WithNamedFile(lpszFileName, CFile::modeRead, pData, [](CFile& f, CData* p) { return ReadFile(f, p); });
}

// Reads the rest of the file from its current position into the buffer. Memory of the
// right length is reused as it is (caller memory too); otherwise the buffer is reallocated,
// which fails (0, buffer empty) for an empty rest when the buffer held bytes. A file error,
// a file that shrinks while it is read, or a rest beyond 4 GiB - 1 closes the file,
// releases the buffer and gives 0.
int CDadRecordset::ReadFile(CFile& file, CData* pData) {
    if (!pData) return 0;
    try {
        uint64_t length = file.GetLength();
        uint64_t position = file.GetPosition();
        uint64_t rest = length > position ? length - position : 0;
        if (rest > 0xFFFFFFFFu) return FailTransfer(file, pData);
        const DWORD n = (DWORD)rest;
        // A length without an address cannot be read into.
        if (n != 0 && !pData->m_pData) pData->Free();
        if (!pData->Alloc(n)) return 0;  // keeps memory of the right length
        DWORD done = 0;
        while (done < n) {
            UINT piece = std::min(kFileChunk, n - done);
            UINT got = file.Read(pData->m_pData + done, piece);
            if (got == 0) return FailTransfer(file, pData);  // the file shrank
            done += std::min(got, piece);
        }
        return 1;
    } catch (CFileException* e) {
        FailTransfer(file, pData);
        e->Delete();
        return 0;
    }
}

// Writes the whole buffer at the file's position (nothing for an empty buffer). A file
// error closes the file, releases the buffer and gives 0.
int CDadRecordset::WriteFile(CFile& file, CData* pData) {
    if (!pData) return 0;
    try {
        const DWORD n = pData->m_pData ? pData->m_dwLength : 0;
        for (DWORD done = 0; done < n;) {
            UINT piece = std::min(kFileChunk, n - done);
            file.Write(pData->m_pData + done, piece);
            done += piece;
        }
        return 1;
    } catch (CFileException* e) {
        FailTransfer(file, pData);
        e->Delete();
        return 0;
    }
}

// Creates (or truncates) the file and writes the buffer. 0 with the buffer untouched when
// the file cannot be opened; an error on the final close counts as a failed write.
int CDadRecordset::WriteFile(LPCSTR lpszFileName, CData* pData) {
    return WithNamedFile(lpszFileName, CFile::modeCreate | CFile::modeWrite, pData,
                         [](CFile& f, CData* p) { return WriteFile(f, p); });
}

// Copies at most nCapacity bytes of the long binary into pDest, which is zero-filled over
// its capacity first; nCopied tells how many. pDest is untouched when there is nothing to copy.
void CDAVRIXRecordset::BinToBuf(CLongBinary* pLB, void* pDest, DWORD nCapacity, DWORD& nCopied) {
    nCopied = 0;
    if (!pLB || !pDest || nCapacity == 0 || pLB->m_dwDataLength == 0 || !pLB->m_hData) return;
    memset(pDest, 0, nCapacity);
    const BYTE* pSource = static_cast<const BYTE*>(GlobalLock(pLB->m_hData));
    if (!pSource) return;
    DWORD n = std::min(nCapacity, ReadableLength(pLB));
    nCopied = n;
    memcpy(pDest, pSource, n);
    GlobalUnlock(pLB->m_hData);
}

// Replaces the long binary's value with a new block holding nLength bytes from pSource.
// Null or empty input leaves the long binary alone; without memory it ends empty.
void CDAVRIXRecordset::BufToBin(CLongBinary* pLB, const void* pSource, DWORD nLength) {
    if (!pLB || !pSource || nLength == 0) return;
    // The new block is filled before the old one goes: pSource may lie in it.
    HGLOBAL hNew = GlobalAlloc(GMEM_ZEROINIT, nLength);
    void* pDest = hNew ? GlobalLock(hNew) : nullptr;
    if (pDest) memcpy(pDest, pSource, nLength);
    if (pLB->m_hData) GlobalFree(pLB->m_hData);
    pLB->m_hData = hNew;
    pLB->m_dwDataLength = pDest ? nLength : 0;
    if (pDest) GlobalUnlock(hNew);
}
