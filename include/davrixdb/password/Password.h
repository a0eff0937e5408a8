// Password scrambling for stored connection passwords. A password is kept as its bytes
// scrambled pairwise (see geTivCryptograph); an empty password is stored as a fixed marker
// text so that a stored value is never empty. Passwords are at most 63 characters.
#ifndef DAVRIXDB_PASSWORD_PASSWORD_H
#define DAVRIXDB_PASSWORD_PASSWORD_H

#include <davrixfw/WinTypes.h>
#include <davrixfw/CString.h>

// Scrambles (bEncrypt != 0) or unscrambles nLen bytes from pSrc into pDst; nResultLen
// becomes nLen. pSrc and pDst may be the same buffer; nLen 0 writes nothing.
void geTivCryptograph(const BYTE* pSrc, BYTE* pDst, BYTE nLen, BYTE& nResultLen, int bEncrypt);

// Scrambles a password into pDest, whose capacity nLength holds on entry. The capacity is
// zeroed first; on success exactly the scrambled length is written, nLength becomes that
// length and the result is 1. Returns 0 (nLength unchanged) when the scrambled form does
// not fit or the password has 64 characters or more. Null counts as empty.
int geSetPWD(LPCSTR pszPassword, BYTE* pDest, BYTE& nLength);

// The password that nCount scrambled bytes hold: empty text for null, 0 or 64 bytes and
// more, and for the empty-password marker.
CString geGetPWD(const BYTE* pScrambled, BYTE nCount);

#endif
