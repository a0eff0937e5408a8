#include <davrixfw/CByteArray.h>

#include <davrixfw/CMemoryException.h>

#include <atomic>
#include <cassert>
#include <cstdint>
#include <cstdlib>
#include <cstring>

IMPLEMENT_DYNAMIC(CByteArray, CObject)

namespace {

std::atomic<int> g_growFailures{0};

bool TakeInjectedFailure() {
    int n = g_growFailures.load();
    while (n > 0)
        if (g_growFailures.compare_exchange_weak(n, n - 1)) return true;
    return false;
}

}  // namespace

CByteArray::CByteArray() : m_pData(nullptr), m_nSize(0), m_nMaxSize(0), m_nGrowBy(0) {}

CByteArray::~CByteArray() { free(m_pData); }

// Shrinking keeps the storage; growing past it reallocates to the larger of the new size and
// the capacity plus the step. On failure (CMemoryException) the array and its step are as before.
// A negative size is a caller error and counts as 0.
void CByteArray::SetSize(LONG nNewSize, LONG nGrowBy) {
    LONG growBy = nGrowBy >= 0 ? nGrowBy : m_nGrowBy;
    if (nNewSize < 0) nNewSize = 0;
    if (nNewSize > m_nMaxSize) {
        LONG step = growBy;
        if (step == 0) {
            step = m_nSize / 8;
            if (step > 1024) step = 1024;
            if (step < 4) step = 4;
        }
        int64_t newMax = (int64_t)m_nMaxSize + step;
        if (newMax < nNewSize) newMax = nNewSize;
        if (newMax > INT32_MAX) newMax = INT32_MAX;
        if (TakeInjectedFailure()) AfxThrowMemoryException();
        BYTE* p = static_cast<BYTE*>(realloc(m_pData, (size_t)newMax));
        if (!p) AfxThrowMemoryException();
        m_pData = p;
        m_nMaxSize = (LONG)newMax;
    }
    if (nNewSize > m_nSize) memset(m_pData + m_nSize, 0, (size_t)(nNewSize - m_nSize));
    m_nSize = nNewSize;
    m_nGrowBy = growBy;
}

BYTE CByteArray::GetAt(LONG nIndex) const {
    assert(nIndex >= 0 && nIndex < m_nSize);
    return (nIndex >= 0 && nIndex < m_nSize) ? m_pData[nIndex] : 0;
}

void CByteArray::SetAt(LONG nIndex, BYTE b) {
    assert(nIndex >= 0 && nIndex < m_nSize);
    if (nIndex >= 0 && nIndex < m_nSize) m_pData[nIndex] = b;
}

LONG CByteArray::Add(BYTE b) {
    if (m_nSize == INT32_MAX) AfxThrowMemoryException();
    LONG index = m_nSize;
    SetSize(index + 1);
    m_pData[index] = b;
    return index;
}

void CByteArray::SetGrowFailures(int nFailures) { g_growFailures.store(nFailures > 0 ? nFailures : 0); }
