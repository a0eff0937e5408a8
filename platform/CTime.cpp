#include <davrixfw/CTime.h>

#include <cstdint>

namespace {

// Local-time components to a 32-bit time; -1 when a component lies outside its range,
// mktime fails, or the moment does not fit 32 bits. Components are not normalised: a
// 30th of February is refused rather than moved to March.
int32_t FromLocal(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec) {
    if (nYear < 1900 || nMonth < 1 || nMonth > 12 || nDay < 1 || nDay > 31 || nHour < 0 || nHour > 23 || nMin < 0 ||
        nMin > 59 || nSec < 0 || nSec > 59)
        return -1;
    struct tm t = {};
    t.tm_year = nYear - 1900;
    t.tm_mon = nMonth - 1;
    t.tm_mday = nDay;
    t.tm_hour = nHour;
    t.tm_min = nMin;
    t.tm_sec = nSec;
    t.tm_isdst = -1;
    time_t r = mktime(&t);
    if (r == (time_t)-1) return -1;
    if (t.tm_mday != nDay || t.tm_mon != nMonth - 1) return -1;  // the day does not exist in that month
    if (r < (time_t)INT32_MIN || r > (time_t)INT32_MAX) return -1;
    return (int32_t)r;
}

}  // namespace

CTime::CTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec)
    : m_time(FromLocal(nYear, nMonth, nDay, nHour, nMin, nSec)) {}

CTime::CTime(const TIMESTAMP_STRUCT& ts) : m_time(FromLocal(ts.year, ts.month, ts.day, ts.hour, ts.minute, ts.second)) {}

// After January 2038 the current time no longer fits: it is then the invalid time.
CTime CTime::GetCurrentTime() {
    time_t now = time(nullptr);
    if (now < (time_t)INT32_MIN || now > (time_t)INT32_MAX) return CTime(-1);
    return CTime((int32_t)now);
}

struct tm CTime::Local() const {
    time_t t = m_time;
    struct tm r = {};
    localtime_r(&t, &r);
    return r;
}

int CTime::GetYear() const { return Local().tm_year + 1900; }
int CTime::GetMonth() const { return Local().tm_mon + 1; }
int CTime::GetDay() const { return Local().tm_mday; }
int CTime::GetHour() const { return Local().tm_hour; }
int CTime::GetMinute() const { return Local().tm_min; }
int CTime::GetSecond() const { return Local().tm_sec; }

TIMESTAMP_STRUCT CTime::GetAsTimestamp() const {
    struct tm t = Local();
    TIMESTAMP_STRUCT ts;
    ts.year = (SQLSMALLINT)(t.tm_year + 1900);
    ts.month = (SQLUSMALLINT)(t.tm_mon + 1);
    ts.day = (SQLUSMALLINT)t.tm_mday;
    ts.hour = (SQLUSMALLINT)t.tm_hour;
    ts.minute = (SQLUSMALLINT)t.tm_min;
    ts.second = (SQLUSMALLINT)t.tm_sec;
    ts.fraction = 0;
    return ts;
}
