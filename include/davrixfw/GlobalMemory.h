// Movable global memory blocks over the heap: a handle carries a lock count and its bytes.
// A zero-byte block gets a handle that can never be locked. GlobalFree releases a block
// whatever its lock count. GMEM_ZEROINIT blocks (fixed) start zero-filled and always lock.
#ifndef DAVRIXFW_GLOBALMEMORY_H
#define DAVRIXFW_GLOBALMEMORY_H

#include "WinTypes.h"

#define GMEM_FIXED 0x0000
#define GMEM_MOVEABLE 0x0002
#define GMEM_ZEROINIT 0x0040
#define GHND (GMEM_MOVEABLE | GMEM_ZEROINIT)
#define GPTR (GMEM_FIXED | GMEM_ZEROINIT)

// Null when no memory is left (or the size cannot be represented).
HGLOBAL GlobalAlloc(UINT uFlags, size_t dwBytes);
// The first byte's address and one more lock; null for a null handle or a zero-byte block.
LPVOID GlobalLock(HGLOBAL hMem);
// Drops one lock: non-zero while the block stays locked, zero once it is unlocked.
BOOL GlobalUnlock(HGLOBAL hMem);
// Frees the block; null on success, the handle when it was not a block.
HGLOBAL GlobalFree(HGLOBAL hMem);
size_t GlobalSize(HGLOBAL hMem);
// The current lock count (for tests and diagnostics).
UINT GlobalLockCount(HGLOBAL hMem);

// Fault injection for tests: the next n allocations fail (n = 0 turns it off).
void AfxSetGlobalAllocFailures(int nFailures);

#endif
