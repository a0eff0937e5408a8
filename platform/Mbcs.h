// Byte-level helpers for text in the application's double-byte code page (GBK): a byte
// 0x81..0xFE followed by another byte starts a two-byte character whose trail byte may
// look like an ASCII letter or punctuation, so byte-wise scans must step over it.
// Internal to the stand-in.
#ifndef DAVRIXFW_MBCS_H
#define DAVRIXFW_MBCS_H

#include <cstddef>

namespace davrix {
namespace mbcs {

inline bool IsLeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }

// Length of the character at p[i] within p[0..n): 2 for a lead byte with a byte after it, else 1.
inline size_t CharLen(const char* p, size_t i, size_t n) {
    return (IsLeadByte((unsigned char)p[i]) && i + 1 < n) ? 2 : 1;
}

inline unsigned char FoldLower(unsigned char c) { return (c >= 'A' && c <= 'Z') ? (unsigned char)(c + 32) : c; }

// Compares two zero-terminated texts with ASCII letters folded; trail bytes of double-byte
// characters are compared as they are. Null counts as empty text.
inline int CompareNoCase(const char* a, const char* b) {
    if (!a) a = "";
    if (!b) b = "";
    bool trail = false;
    for (size_t i = 0;; ++i) {
        unsigned char ca = (unsigned char)a[i], cb = (unsigned char)b[i];
        if (!trail) {
            ca = FoldLower(ca);
            cb = FoldLower(cb);
        }
        if (ca != cb) return ca < cb ? -1 : 1;
        if (ca == 0) return 0;
        // Both bytes are equal here, so both texts agree on where characters start.
        trail = !trail && IsLeadByte((unsigned char)a[i]) && a[i + 1] != 0 && b[i + 1] != 0;
    }
}

}  // namespace mbcs
}  // namespace davrix

#endif
