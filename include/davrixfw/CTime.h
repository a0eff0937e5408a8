// CTime: a point in time as a signed 32-bit count of seconds since 1970-01-01 00:00:00 UTC.
// Broken-down values are taken and given in local time, as the original platform does.
#ifndef DAVRIXFW_CTIME_H
#define DAVRIXFW_CTIME_H

#include "WinTypes.h"
#include <ctime>

class CTime {
public:
    CTime() : m_time(0) {}
    explicit CTime(int32_t t) : m_time(t) {}
    // Local-time components. A moment that 32 bits cannot hold gives the invalid time -1.
    CTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec);
    explicit CTime(const TIMESTAMP_STRUCT& ts);

    static CTime GetCurrentTime();
    int32_t GetTime() const { return m_time; }
    BOOL IsValid() const { return m_time != -1; }
    int GetYear() const;
    int GetMonth() const;
    int GetDay() const;
    int GetHour() const;
    int GetMinute() const;
    int GetSecond() const;
    // The moment as a timestamp in local time (fraction 0).
    TIMESTAMP_STRUCT GetAsTimestamp() const;

    bool operator==(const CTime& o) const { return m_time == o.m_time; }
    bool operator!=(const CTime& o) const { return m_time != o.m_time; }
    bool operator<(const CTime& o) const { return m_time < o.m_time; }

private:
    struct tm Local() const;
    int32_t m_time;
};

#endif
