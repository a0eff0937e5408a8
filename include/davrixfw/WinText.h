// The three text calls of the original platform that the module uses.
#ifndef DAVRIXFW_WINTEXT_H
#define DAVRIXFW_WINTEXT_H

#include "WinTypes.h"

// Length in bytes; null counts as 0.
int lstrlenA(LPCSTR lpString);
// Compares with ASCII letters folded; 0 when equal. Null counts as empty text.
int lstrcmpiA(LPCSTR lpString1, LPCSTR lpString2);
// Copies at most iMaxLength - 1 bytes and a terminating zero; nothing for iMaxLength <= 0.
LPSTR lstrcpynA(LPSTR lpString1, LPCSTR lpString2, int iMaxLength);

#endif
