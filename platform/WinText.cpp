#include <davrixfw/WinText.h>

#include "Mbcs.h"

#include <climits>
#include <cstring>

int lstrlenA(LPCSTR lpString) {
    if (!lpString) return 0;
    size_t n = strlen(lpString);
    return n > (size_t)INT_MAX ? INT_MAX : (int)n;
}

int lstrcmpiA(LPCSTR lpString1, LPCSTR lpString2) { return davrix::mbcs::CompareNoCase(lpString1, lpString2); }

// Stops before a double-byte character that would not fit whole, so the copy never ends in
// a lone lead byte that the code-page conversion would refuse.
LPSTR lstrcpynA(LPSTR lpString1, LPCSTR lpString2, int iMaxLength) {
    if (!lpString1 || iMaxLength <= 0) return lpString1;
    if (!lpString2) lpString2 = "";
    size_t nMax = (size_t)iMaxLength - 1;
    size_t i = 0;
    while (i < nMax && lpString2[i]) {
        size_t len = (davrix::mbcs::IsLeadByte((unsigned char)lpString2[i]) && lpString2[i + 1]) ? 2 : 1;
        if (i + len > nMax) break;
        i += len;
    }
    memmove(lpString1, lpString2, i);
    lpString1[i] = 0;
    return lpString1;
}
