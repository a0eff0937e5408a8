// CData: byte buffer over a locked global memory block or caller memory.
#include <davrixdb/data/CData.h>

#include <davrixfw/GlobalMemory.h>

#include <cstdint>
#include <cstring>

namespace {

// Drops every lock on a block and frees it; a block adopted through Attach may carry
// locks from its earlier owner.
void FreeBlock(HGLOBAL h) {
    if (!h) return;
    while (GlobalUnlock(h)) {
    }
    GlobalFree(h);
}

// A new zero-filled block of n bytes, locked once; false (nothing left behind) when it
// cannot be had or locked.
bool NewLockedBlock(DWORD n, HGLOBAL& hOut, BYTE*& pOut) {
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, n);
    if (!h) return false;
    BYTE* p = static_cast<BYTE*>(GlobalLock(h));
    if (!p) {
        FreeBlock(h);
        return false;
    }
    memset(p, 0, n);
    hOut = h;
    pOut = p;
    return true;
}

}  // namespace

CData::CData() : m_pData(nullptr), m_hMem(nullptr), m_dwLength(0) {}

CData::~CData() { Release(); }

// Releases an owned block; caller memory is only forgotten.
void CData::Release() {
    FreeBlock(m_hMem);
    m_pData = nullptr;
    m_hMem = nullptr;
    m_dwLength = 0;
}

int CData::Alloc(DWORD n) {
    if (n == m_dwLength) return 1;
    Release();
    HGLOBAL h;
    BYTE* p;
    if (!NewLockedBlock(n, h, p)) return 0;
    m_hMem = h;
    m_pData = p;
    m_dwLength = n;
    return 1;
}

void CData::Free() { Release(); }

BYTE* CData::Data() { return m_pData; }

BYTE* CData::Data(DWORD off) { return (m_pData && off < m_dwLength) ? m_pData + off : nullptr; }

int CData::PutData(const void* pSource, DWORD nItemSize, DWORD nOffset, DWORD nCount) {
    if (!m_pData || !pSource || nItemSize == 0) return 0;
    // In 64 bits the end cannot wrap: (2^32-1)^2 + 2^32-1 < 2^64.
    uint64_t end = (uint64_t)nOffset + (uint64_t)nItemSize * nCount;
    if (end > m_dwLength) return 0;
    BYTE* p = m_pData + nOffset;
    for (DWORD i = 0; i < nCount; ++i, p += nItemSize) memmove(p, pSource, nItemSize);
    return 1;
}

DWORD CData::Length() { return m_dwLength; }

int CData::Attach(DWORD nLength, void* p) {
    Release();
    m_pData = static_cast<BYTE*>(p);
    m_dwLength = nLength;
    return 1;
}

int CData::Attach(HGLOBAL hMem, DWORD nLength) {
    // Attaching the block owned already must not free it first.
    if (hMem && hMem == m_hMem) Detach();
    Release();
    m_hMem = hMem;
    BYTE* p = static_cast<BYTE*>(GlobalLock(hMem));
    if (!p) {
        Release();
        return 0;
    }
    m_pData = p;
    m_dwLength = nLength;
    return 1;
}

HGLOBAL CData::Detach() {
    HGLOBAL h = m_hMem;
    m_pData = nullptr;
    m_hMem = nullptr;
    m_dwLength = 0;
    return h;
}

int CData::Copy(const CData* pOther) {
    if (!pOther) return 0;
    DWORD n = pOther->m_dwLength;
    if (n == 0) return 0;
    if (n != m_dwLength) {
        // The new block is filled before the old one goes: pOther may point into it.
        HGLOBAL h;
        BYTE* p;
        if (!NewLockedBlock(n, h, p)) {
            Release();
            return 0;
        }
        if (pOther->m_pData) memcpy(p, pOther->m_pData, n);
        Release();
        m_hMem = h;
        m_pData = p;
        m_dwLength = n;
        return pOther->m_pData ? 1 : 0;
    }
    if (!m_pData || !pOther->m_pData) return 0;
    memmove(m_pData, pOther->m_pData, n);
    return 1;
}

int CData::PointerIn(const void* p) {
    if (!m_pData || !p) return 0;
    uintptr_t a = reinterpret_cast<uintptr_t>(p);
    uintptr_t first = reinterpret_cast<uintptr_t>(m_pData);
    return (a >= first && a - first < m_dwLength) ? 1 : 0;
}

DWORD CData::BufLength(const void* p) {
    if (!PointerIn(p)) return 0;
    return m_dwLength - (DWORD)(static_cast<const BYTE*>(p) - m_pData);
}

void CData::Zero() {
    if (m_pData) memset(m_pData, 0, m_dwLength);
}
