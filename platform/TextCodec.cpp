#include "TextCodec.h"

#include "Mbcs.h"

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <iconv.h>
#include <mutex>

namespace davrix {
namespace text {

namespace {

const iconv_t kNoConverter = (iconv_t)-1;

// One converter per direction and thread: iconv_t holds state and must not be shared.
// Opened on first use, closed when the thread ends.
struct Converters {
    iconv_t toUtf8 = kNoConverter;
    iconv_t fromUtf8 = kNoConverter;
    ~Converters() {
        if (toUtf8 != kNoConverter) iconv_close(toUtf8);
        if (fromUtf8 != kNoConverter) iconv_close(fromUtf8);
    }
};

thread_local Converters t_converters;

// The converter, reset to its initial state; kNoConverter when iconv lacks the code page.
iconv_t Get(iconv_t& cd, const char* to, const char* from) {
    if (cd == kNoConverter) cd = iconv_open(to, from);
    if (cd != kNoConverter) iconv(cd, nullptr, nullptr, nullptr, nullptr);
    return cd;
}

// Bytes to skip for the (unconvertible) UTF-8 character at p[0..n): its first byte and as
// many continuation bytes as that byte announces and actually follow. At least 1, so a
// stray byte costs one '?' and never swallows the valid text after it.
size_t Utf8CharLen(const unsigned char* p, size_t n) {
    size_t want = p[0] >= 0xF0 && p[0] <= 0xF7 ? 4 : p[0] >= 0xE0 && p[0] <= 0xEF ? 3 : p[0] >= 0xC0 && p[0] <= 0xDF ? 2 : 1;
    size_t len = 1;
    while (len < want && len < n && (p[len] & 0xC0) == 0x80) ++len;
    return len;
}

// UTF-8 to GBK through a table of the Basic Multilingual Plane, one page of 256 code
// points at a time, each page filled from iconv the first time a text needs it: the same
// mapping as iconv, without its cost per call, which dominates on short column values.
// 0 marks a code point without a GBK form; below 0x100 a single byte, else lead << 8 | trail.
struct GbkPage {
    uint16_t code[256];
};
std::atomic<const GbkPage*> g_gbkPages[256];
std::mutex g_gbkPagesMutex;

const GbkPage* LoadGbkPage(unsigned page) {
    std::lock_guard<std::mutex> lock(g_gbkPagesMutex);
    if (const GbkPage* done = g_gbkPages[page].load(std::memory_order_acquire)) return done;
    iconv_t cd = Get(t_converters.fromUtf8, AcpName(), "UTF-8");
    if (cd == kNoConverter) return nullptr;
    GbkPage* fresh = new GbkPage();  // lives for the process
    for (unsigned low = 0; low < 256; ++low) {
        unsigned cp = page << 8 | low;
        if (cp < 0x80 || (cp >= 0xD800 && cp <= 0xDFFF)) continue;
        char in[3], gbk[4];
        size_t inLeft = cp < 0x800 ? 2 : 3;
        if (inLeft == 2) {
            in[0] = (char)(0xC0 | cp >> 6);
            in[1] = (char)(0x80 | (cp & 0x3F));
        } else {
            in[0] = (char)(0xE0 | cp >> 12);
            in[1] = (char)(0x80 | (cp >> 6 & 0x3F));
            in[2] = (char)(0x80 | (cp & 0x3F));
        }
        char* src = in;
        char* dst = gbk;
        size_t outLeft = sizeof gbk;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd, &src, &inLeft, &dst, &outLeft) == (size_t)-1) continue;
        size_t n = sizeof gbk - outLeft;
        if (n == 1) fresh->code[low] = (unsigned char)gbk[0];
        else if (n == 2) fresh->code[low] = (uint16_t)((unsigned char)gbk[0] << 8 | (unsigned char)gbk[1]);
    }
    g_gbkPages[page].store(fresh, std::memory_order_release);
    return fresh;
}

// The table's conversion of well-formed UTF-8 of one to three bytes whose characters all
// have a GBK form; false (out unspecified) for anything else, which iconv then handles.
bool FromUtf8ByTable(const unsigned char* p, size_t n, std::string& out) {
    out.clear();
    out.reserve(n);
    for (size_t i = 0; i < n;) {
        unsigned cp;
        unsigned char b = p[i];
        if (b < 0x80) {
            out += (char)b;
            ++i;
            continue;
        }
        if (b >= 0xC2 && b <= 0xDF && i + 1 < n && (p[i + 1] & 0xC0) == 0x80) {
            cp = (b & 0x1Fu) << 6 | (p[i + 1] & 0x3Fu);
            i += 2;
        } else if (b >= 0xE0 && b <= 0xEF && i + 2 < n && (p[i + 1] & 0xC0) == 0x80 && (p[i + 2] & 0xC0) == 0x80) {
            cp = (b & 0x0Fu) << 12 | (p[i + 1] & 0x3Fu) << 6 | (p[i + 2] & 0x3Fu);
            if (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF)) return false;  // overlong or surrogate
            i += 3;
        } else {
            return false;
        }
        const GbkPage* page = g_gbkPages[cp >> 8].load(std::memory_order_acquire);
        if (!page && !(page = LoadGbkPage(cp >> 8))) return false;
        uint16_t code = page->code[cp & 0xFF];
        if (code == 0) return false;
        if (code > 0xFF) out += (char)(code >> 8);
        out += (char)(code & 0xFF);
    }
    return true;
}

}  // namespace

const char* AcpName() { return "GBK"; }

bool IsAscii(const char* p, size_t n) {
    for (size_t i = 0; i < n; ++i)
        if ((unsigned char)p[i] & 0x80) return false;
    return true;
}

size_t CutOnBoundary(const char* p, size_t n, size_t nMax) {
    size_t i = 0;
    while (i < n) {
        size_t len = mbcs::CharLen(p, i, n);
        if (i + len > nMax) break;
        i += len;
    }
    return i;
}

bool ToUtf8(const char* pAcp, size_t nBytes, std::string& out) {
    if (IsAscii(pAcp, nBytes)) {
        out.assign(pAcp, nBytes);
        return true;
    }
    iconv_t cd = Get(t_converters.toUtf8, "UTF-8", AcpName());
    if (cd == kNoConverter) return false;
    // Two GBK bytes become at most three UTF-8 bytes; E2BIG grows the buffer anyway.
    out.assign(nBytes * 2 + 8, '\0');
    char* src = const_cast<char*>(pAcp);
    size_t srcLeft = nBytes;
    size_t used = 0;
    while (srcLeft > 0) {
        char* dst = &out[used];
        size_t dstLeft = out.size() - used;
        size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        used = out.size() - dstLeft;
        if (r != (size_t)-1) break;
        if (errno != E2BIG) return false;  // EILSEQ or EINVAL: not valid in the code page
        out.resize(out.size() * 2);
    }
    out.resize(used);
    return true;
}

void FromUtf8(const char* pUtf8, size_t nBytes, std::string& out, size_t nMaxBytes) {
    if (IsAscii(pUtf8, nBytes)) {
        out.assign(pUtf8, nBytes < nMaxBytes ? nBytes : nMaxBytes);
        return;
    }
    if (FromUtf8ByTable((const unsigned char*)pUtf8, nBytes, out)) {
        if (nMaxBytes != std::string::npos && out.size() > nMaxBytes)
            out.resize(CutOnBoundary(out.data(), out.size(), nMaxBytes));
        return;
    }
    out.clear();
    iconv_t cd = Get(t_converters.fromUtf8, AcpName(), "UTF-8");
    if (cd == kNoConverter) {
        // Without a converter keep the ASCII and mark every other character.
        for (size_t i = 0; i < nBytes;) {
            size_t len = Utf8CharLen((const unsigned char*)pUtf8 + i, nBytes - i);
            out += (len == 1 && !((unsigned char)pUtf8[i] & 0x80)) ? pUtf8[i] : '?';
            i += len;
        }
    } else {
        // A UTF-8 character never takes more GBK bytes than it had; E2BIG grows anyway.
        out.assign(nBytes + 8, '\0');
        char* src = const_cast<char*>(pUtf8);
        size_t srcLeft = nBytes;
        size_t used = 0;
        while (srcLeft > 0) {
            char* dst = &out[used];
            size_t dstLeft = out.size() - used;
            size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
            used = out.size() - dstLeft;
            if (r != (size_t)-1) break;
            if (errno == E2BIG) {
                out.resize(out.size() * 2);
            } else if (errno == EILSEQ) {
                // No GBK form, or not UTF-8: one '?' for the character, then go on.
                if (used == out.size()) out.resize(out.size() * 2);
                out[used++] = '?';
                size_t len = Utf8CharLen((const unsigned char*)src, srcLeft);
                src += len;
                srcLeft -= len;
                iconv(cd, nullptr, nullptr, nullptr, nullptr);
            } else {
                break;  // EINVAL: the value ends inside a character; drop that tail
            }
        }
        out.resize(used);
    }
    if (nMaxBytes != std::string::npos && out.size() > nMaxBytes) out.resize(CutOnBoundary(out.data(), out.size(), nMaxBytes));
}

}  // namespace text
}  // namespace davrix
