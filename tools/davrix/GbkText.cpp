#include "GbkText.h"

#include <cerrno>
#include <iconv.h>

namespace davrix {
namespace tool {

namespace {

const char kGbk[] = "GBK";

// One iconv descriptor for the length of a conversion.
class Iconv {
public:
    Iconv(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Iconv() {
        if (ok()) iconv_close(m_cd);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;
    bool ok() const { return m_cd != (iconv_t)-1; }
    // Converts as much as it can; returns iconv's errno (0 when all was converted).
    int Step(const char*& in, size_t& inLeft, std::string& out) {
        char buf[1024];
        while (inLeft > 0) {
            char* o = buf;
            size_t oLeft = sizeof buf;
            size_t r = iconv(m_cd, const_cast<char**>(&in), &inLeft, &o, &oLeft);
            out.append(buf, sizeof buf - oLeft);
            if (r == (size_t)-1 && errno != E2BIG) return errno;
        }
        return 0;
    }
    void Reset() { iconv(m_cd, nullptr, nullptr, nullptr, nullptr); }

private:
    iconv_t m_cd;
};

}  // namespace

bool IsValidUtf8(const std::string& s) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(s.data());
    size_t n = s.size(), i = 0;
    while (i < n) {
        unsigned c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        size_t len;
        unsigned cp;
        if (c >= 0xC2 && c <= 0xDF) {
            len = 2;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + len > n) return false;
        for (size_t k = 1; k < len; ++k) {
            if ((p[i + k] & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += len;
    }
    return true;
}

bool IsValidGbk(const std::string& bytes) {
    std::string ignored;
    return Convert(kGbk, "UTF-8", bytes, &ignored);
}

bool Convert(const char* from, const char* to, const std::string& in, std::string* out) {
    Iconv cd(to, from);
    if (!cd.ok()) return false;
    out->clear();
    const char* p = in.data();
    size_t left = in.size();
    // Stateless encodings only: nothing to flush.
    return cd.Step(p, left, *out) == 0;
}

std::string ConvertFromGbkLossy(const char* to, const std::string& gbk) {
    Iconv cd(to, kGbk);
    if (!cd.ok()) {
        // An unknown terminal encoding: keep ASCII, mark the rest.
        std::string ascii;
        for (size_t i = 0; i < gbk.size(); ++i) {
            unsigned char c = (unsigned char)gbk[i];
            if (c < 0x80) {
                ascii += (char)c;
            } else {
                ascii += '?';
                if (i + 1 < gbk.size()) ++i;
            }
        }
        return ascii;
    }
    std::string out;
    const char* p = gbk.data();
    size_t left = gbk.size();
    while (left > 0) {
        int err = cd.Step(p, left, out);
        if (err == 0) break;
        // Skip one character: a double-byte one when its lead byte says so and a byte follows.
        unsigned char lead = (unsigned char)*p;
        size_t skip = (lead >= 0x81 && lead <= 0xFE && left >= 2) ? 2 : 1;
        if (err == EINVAL) skip = left;  // a lone lead byte at the end
        out += '?';
        p += skip;
        left -= skip;
        cd.Reset();
    }
    return out;
}

bool ExternalToGbk(const std::string& bytes, std::string* gbk, std::string* why) {
    if (IsValidUtf8(bytes)) {
        std::string text = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? bytes.substr(3) : bytes;
        if (Convert("UTF-8", kGbk, text, gbk)) return true;
        if (why) *why = "a character has no GBK form";
        return false;
    }
    if (IsValidGbk(bytes)) {
        *gbk = bytes;
        return true;
    }
    if (why) *why = "text is neither UTF-8 nor GBK";
    return false;
}

std::string DisplayGbk(const std::string& bytes) {
    std::string gbk;
    if (ExternalToGbk(bytes, &gbk, nullptr)) return gbk;
    gbk = bytes;
    for (char& c : gbk)
        if ((unsigned char)c >= 0x80) c = '?';
    return gbk;
}

}  // namespace tool
}  // namespace davrix
