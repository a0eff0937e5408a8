#include "TerminalText.h"

#include "GbkText.h"

#include <clocale>
#include <cstring>
#include <cwchar>
#include <langinfo.h>
#include <strings.h>

namespace davrix {
namespace tool {

TerminalText::TerminalText() : TerminalText(nl_langinfo(CODESET)) {}

TerminalText::TerminalText(std::string codeset) : m_codeset(std::move(codeset)) {
    if (m_codeset.empty()) m_codeset = "ANSI_X3.4-1968";
}

bool TerminalText::IsAscii() const {
    return strcasecmp(m_codeset.c_str(), "ANSI_X3.4-1968") == 0 || strcasecmp(m_codeset.c_str(), "ASCII") == 0 ||
           strcasecmp(m_codeset.c_str(), "US-ASCII") == 0;
}

std::string TerminalText::FromGbk(const std::string& gbk) const {
    bool ascii = true;
    for (char c : gbk)
        if ((unsigned char)c >= 0x80) ascii = false;
    if (ascii) return gbk;
    return ConvertFromGbkLossy(m_codeset.c_str(), gbk);
}

bool TerminalText::ToGbk(const std::string& text, std::string* gbk, std::string* why) const {
    bool ascii = true;
    for (char c : text)
        if ((unsigned char)c >= 0x80) ascii = false;
    if (ascii) {
        *gbk = text;
        return true;
    }
    const char* from = m_codeset.c_str();
    if (IsAscii()) {
        if (!IsValidUtf8(text)) {
            if (why) *why = "non-ASCII text in an ASCII locale (set LANG to a UTF-8 locale)";
            return false;
        }
        from = "UTF-8";
    }
    if (Convert(from, "GBK", text, gbk)) return true;
    if (why) {
        if (strcasecmp(from, "UTF-8") == 0 && IsValidUtf8(text))
            *why = "a character has no GBK form";
        else
            *why = std::string("text is not valid ") + from;
    }
    return false;
}

int TerminalText::Width(const std::string& text) {
    int width = 0;
    mbstate_t state;
    memset(&state, 0, sizeof state);
    const char* p = text.data();
    size_t left = text.size();
    while (left > 0) {
        wchar_t wc;
        size_t n = mbrtowc(&wc, p, left, &state);
        if (n == (size_t)-1 || n == (size_t)-2) {
            memset(&state, 0, sizeof state);
            ++width;
            ++p;
            --left;
            continue;
        }
        if (n == 0) n = 1;  // an embedded zero byte
        int w = wcwidth(wc);
        width += w < 0 ? 1 : w;
        p += n;
        left -= n;
    }
    return width;
}

std::string TerminalText::Printable(const std::string& text) {
    std::string out = text;
    for (char& c : out)
        if ((unsigned char)c < 0x20 || c == 0x7F) c = '?';
    return out;
}

}  // namespace tool
}  // namespace davrix
