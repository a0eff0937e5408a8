#include <davrixfw/CException.h>

#include <cstring>

IMPLEMENT_DYNAMIC(CException, CObject)

CException::~CException() = default;

void CException::Delete() { delete this; }

// The base class has no description: an empty text and FALSE.
BOOL CException::GetErrorMessage(char* lpszError, UINT nMaxError) const {
    if (lpszError && nMaxError > 0) lpszError[0] = 0;
    return FALSE;
}
