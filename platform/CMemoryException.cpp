#include <davrixfw/CMemoryException.h>

#include <davrixfw/WinText.h>

IMPLEMENT_DYNAMIC(CMemoryException, CException)

CMemoryException::~CMemoryException() = default;

BOOL CMemoryException::GetErrorMessage(char* lpszError, UINT nMaxError) const {
    if (!lpszError || nMaxError == 0) return FALSE;
    lstrcpynA(lpszError, "Out of memory.", (int)(nMaxError > 0x7FFFFFFF ? 0x7FFFFFFF : nMaxError));
    return TRUE;
}

// The exception object is tiny; if even it cannot be allocated, new raises std::bad_alloc.
void AfxThrowMemoryException() { throw new CMemoryException(); }
