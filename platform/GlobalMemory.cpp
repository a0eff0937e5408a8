#include <davrixfw/GlobalMemory.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

const uint32_t kLiveMagic = 0x474D454Du;  // "GMEM"
const uint32_t kFreedMagic = 0xDEADF4EEu;

// The header in front of a block's bytes; the handle is its address. Aligned so that the
// bytes after it are aligned for any type.
struct alignas(std::max_align_t) BlockHeader {
    uint32_t magic;
    uint32_t flags;
    size_t size;
    UINT lockCount;
};

std::atomic<int> g_allocFailures{0};

// The header of a live block, or null. A freed block's magic is poisoned, so a stale handle
// is recognised as long as the heap has not handed the memory out again.
BlockHeader* Block(HGLOBAL hMem) {
    if (!hMem) return nullptr;
    BlockHeader* h = static_cast<BlockHeader*>(hMem);
    return h->magic == kLiveMagic ? h : nullptr;
}

// Consumes one injected failure if any is pending.
bool TakeInjectedFailure() {
    int n = g_allocFailures.load();
    while (n > 0)
        if (g_allocFailures.compare_exchange_weak(n, n - 1)) return true;
    return false;
}

}  // namespace

HGLOBAL GlobalAlloc(UINT uFlags, size_t dwBytes) {
    if (TakeInjectedFailure()) return nullptr;
    if (dwBytes > SIZE_MAX - sizeof(BlockHeader)) return nullptr;
    BlockHeader* h = static_cast<BlockHeader*>(malloc(sizeof(BlockHeader) + dwBytes));
    if (!h) return nullptr;
    h->magic = kLiveMagic;
    h->flags = uFlags;
    h->size = dwBytes;
    h->lockCount = 0;
    if ((uFlags & GMEM_ZEROINIT) && dwBytes > 0) memset(h + 1, 0, dwBytes);
    return h;
}

LPVOID GlobalLock(HGLOBAL hMem) {
    BlockHeader* h = Block(hMem);
    if (!h || h->size == 0) return nullptr;
    ++h->lockCount;
    return h + 1;
}

BOOL GlobalUnlock(HGLOBAL hMem) {
    BlockHeader* h = Block(hMem);
    if (!h || h->lockCount == 0) return FALSE;
    --h->lockCount;
    return h->lockCount > 0 ? TRUE : FALSE;
}

HGLOBAL GlobalFree(HGLOBAL hMem) {
    BlockHeader* h = Block(hMem);
    if (!h) return hMem;
    h->magic = kFreedMagic;
    free(h);
    return nullptr;
}

size_t GlobalSize(HGLOBAL hMem) {
    BlockHeader* h = Block(hMem);
    return h ? h->size : 0;
}

UINT GlobalLockCount(HGLOBAL hMem) {
    BlockHeader* h = Block(hMem);
    return h ? h->lockCount : 0;
}

void AfxSetGlobalAllocFailures(int nFailures) { g_allocFailures.store(nFailures > 0 ? nFailures : 0); }
