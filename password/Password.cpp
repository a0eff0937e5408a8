// Password scrambling: a rotation of the first two bytes and a running XOR at distance two.
#include <davrixdb/password/Password.h>

#include <davrixfw/WinText.h>

#include <cstring>

namespace {

// Stored in place of an empty password.
const char kEmptyMarker[] = "((__~~!$%+=PpugiyYkelqLfuywRdgydHbyv=+%$!~~__))";

// Both directions work in a buffer of this size; the longest password is one byte less,
// so an unscrambled value always ends with a zero.
const int kWorkSize = 64;

inline BYTE RotateLeft(BYTE b, int n) { return (BYTE)((b << n) | (b >> (8 - n))); }
inline BYTE RotateRight(BYTE b, int n) { return (BYTE)((b >> n) | (b << (8 - n))); }

}  // namespace

void geTivCryptograph(const BYTE* pSrc, BYTE* pDst, BYTE nLen, BYTE& nResultLen, int bEncrypt) {
    const int len = nLen;
    nResultLen = nLen;
    if (len == 0 || !pSrc || !pDst) return;
    // Every position k reads pSrc[k] before pDst[k] is written, so in-place works: scrambling
    // runs upward and needs the scrambled k-2 already written; unscrambling runs downward and
    // needs the scrambled k-2 still unwritten.
    if (bEncrypt) {
        for (int k = 0; k < len; ++k) {
            BYTE p = pSrc[k];
            if (k == 0)
                pDst[k] = RotateLeft(p, 2);
            else if (k == 1)
                pDst[k] = RotateLeft(p, 4);
            else
                pDst[k] = pDst[k - 2] ^ p;
        }
        return;
    }
    for (int pair = (len - 1) / 2; pair >= 1; --pair) {
        for (int k = 2 * pair; k < len && k <= 2 * pair + 1; ++k) pDst[k] = pSrc[k - 2] ^ pSrc[k];
    }
    if (len > 1) pDst[1] = RotateRight(pSrc[1], 4);
    pDst[0] = RotateRight(pSrc[0], 2);
}

int geSetPWD(LPCSTR pszPassword, BYTE* pDest, BYTE& nLength) {
    if (pDest) memset(pDest, 0, nLength);
    // The full length decides the refusal: an 8-bit count would take 256 characters for empty.
    int fullLength = lstrlenA(pszPassword);
    if (fullLength >= kWorkSize || !pDest) return 0;
    const char* pszPlain = fullLength == 0 ? kEmptyMarker : pszPassword;
    BYTE len = (BYTE)lstrlenA(pszPlain);

    BYTE work[kWorkSize];
    memset(work, 0, sizeof(work));
    BYTE scrambledLen = 0;
    geTivCryptograph(reinterpret_cast<const BYTE*>(pszPlain), work, len, scrambledLen, 1);
    if (scrambledLen > nLength) return 0;
    memcpy(pDest, work, scrambledLen);
    nLength = scrambledLen;
    return 1;
}

CString geGetPWD(const BYTE* pScrambled, BYTE nCount) {
    if (!pScrambled || nCount == 0 || nCount >= kWorkSize) return CString();
    BYTE work[kWorkSize];
    memset(work, 0, sizeof(work));
    BYTE len = 0;
    geTivCryptograph(pScrambled, work, nCount, len, 0);
    // A corrupted value may hold a zero: the text ends there.
    const char* pszPlain = reinterpret_cast<const char*>(work);
    if (lstrcmpiA(pszPlain, kEmptyMarker) == 0) return CString();
    return CString(pszPlain);
}
