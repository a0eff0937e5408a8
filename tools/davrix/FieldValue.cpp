#include "FieldValue.h"

#include "ToolError.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace davrix {
namespace tool {

namespace {

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

bool ValidDate(int y, int m, int d) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1) return false;
    return d <= (m == 2 && IsLeap(y) ? 29 : days[m - 1]);
}

}  // namespace

LONG ParseLong(const std::string& text, const std::string& what) {
    long long v = 0;
    const char* b = text.data();
    const char* e = b + text.size();
    if (b != e && *b == '+') ++b;
    auto r = std::from_chars(b, e, v);
    if (text.empty() || r.ec != std::errc() || r.ptr != e || v < INT32_MIN || v > INT32_MAX)
        throw ToolError::Usage(what + ": '" + text + "' is not a whole number (32 bits)");
    return (LONG)v;
}

double ParseDouble(const std::string& text, const std::string& what) {
    double v = 0;
    const char* b = text.data();
    const char* e = b + text.size();
    if (b != e && *b == '+') ++b;
    auto r = std::from_chars(b, e, v);
    if (text.empty() || r.ec != std::errc() || r.ptr != e || !std::isfinite(v))
        throw ToolError::Usage(what + ": '" + text + "' is not a number");
    return v;
}

TIMESTAMP_STRUCT ParseTimestamp(const std::string& text, const std::string& what) {
    TIMESTAMP_STRUCT ts{};
    if (text == "now") {
        CTime now = CTime::GetCurrentTime();
        if (!now.IsValid()) throw ToolError("the current time does not fit the time type");
        return now.GetAsTimestamp();
    }
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0, n = 0;
    char sep = ' ';
    unsigned frac = 0;
    int fracDigits = 0;
    const char* p = text.c_str();
    bool ok = sscanf(p, "%4d-%2d-%2d%n", &y, &mo, &d, &n) == 3 && n == 10;
    p += ok ? n : 0;
    if (ok && *p) {
        sep = *p++;
        ok = (sep == ' ' || sep == 'T') && sscanf(p, "%2d:%2d%n", &h, &mi, &n) == 2 && n == 5;
        p += ok ? n : 0;
        if (ok && *p == ':') {
            ok = sscanf(p, ":%2d%n", &s, &n) == 1 && n == 3;
            p += ok ? n : 0;
            if (ok && *p == '.') {
                ++p;
                while (*p >= '0' && *p <= '9' && fracDigits < 9) {
                    frac = frac * 10 + (unsigned)(*p++ - '0');
                    ++fracDigits;
                }
                ok = fracDigits > 0;
            }
        }
        ok = ok && *p == '\0';
    }
    if (!ok || !ValidDate(y, mo, d) || h > 23 || mi > 59 || s > 59 || h < 0 || mi < 0 || s < 0)
        throw ToolError::Usage(what + ": '" + text + "' is not a time (YYYY-MM-DD hh:mm:ss[.fff] or now)");
    while (fracDigits < 9) {
        frac *= 10;
        ++fracDigits;
    }
    ts.year = (SQLSMALLINT)y;
    ts.month = (SQLUSMALLINT)mo;
    ts.day = (SQLUSMALLINT)d;
    ts.hour = (SQLUSMALLINT)h;
    ts.minute = (SQLUSMALLINT)mi;
    ts.second = (SQLUSMALLINT)s;
    ts.fraction = frac;
    return ts;
}

void CheckTextWidth(const std::string& gbk, int maxBytes, const std::string& what) {
    if ((int)gbk.size() > maxBytes)
        throw ToolError::Usage(what + ": text of " + std::to_string(gbk.size()) + " bytes (GBK) is longer than the " +
                               std::to_string(maxBytes) + " the column holds");
}

std::string FormatDouble(double v) {
    char buf[64];
    snprintf(buf, sizeof buf, "%.15g", v);
    return buf;
}

std::string FormatTimestamp(const TIMESTAMP_STRUCT& ts) {
    char buf[64];
    snprintf(buf, sizeof buf, "%04d-%02u-%02u %02u:%02u:%02u", (int)ts.year, (unsigned)ts.month, (unsigned)ts.day,
             (unsigned)ts.hour, (unsigned)ts.minute, (unsigned)ts.second);
    std::string text = buf;
    if (ts.fraction != 0) {
        snprintf(buf, sizeof buf, ".%03u", (unsigned)(ts.fraction / 1000000));
        text += buf;
    }
    return text;
}

std::string FormatTimestampMs(const TIMESTAMP_STRUCT& ts, LONG milliseconds) {
    TIMESTAMP_STRUCT whole = ts;
    whole.fraction = 0;
    char buf[16];
    snprintf(buf, sizeof buf, ".%03ld", (long)milliseconds);
    return FormatTimestamp(whole) + buf;
}

std::string FormatTime(const CTime& t) {
    if (!t.IsValid()) return std::string();
    return FormatTimestamp(t.GetAsTimestamp());
}

}  // namespace tool
}  // namespace davrix
