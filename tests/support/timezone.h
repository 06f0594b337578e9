#pragma once
// Runs a test in a named time zone (TZ, read by the C library and by child processes) and
// puts the old one back afterwards. Needs the system's zone files (Debian tzdata).
#include <stdlib.h>
#include <time.h>

#include <cstdint>
#include <string>

#include "platform/filetime.h"

namespace varnel::test {

class TimeZoneScope {
  public:
    explicit TimeZoneScope(const char* zone) {
        if (const char* old = std::getenv("TZ")) {
            hadZone_ = true;
            oldZone_ = old;
        }
        setenv("TZ", zone, 1);
        tzset();
    }
    ~TimeZoneScope() {
        if (hadZone_)
            setenv("TZ", oldZone_.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    TimeZoneScope(const TimeZoneScope&) = delete;
    TimeZoneScope& operator=(const TimeZoneScope&) = delete;

  private:
    bool hadZone_ = false;
    std::string oldZone_;
};

// The file time of a UTC calendar time.
inline uint64_t utcFileTime(int year, int month, int day, int hour = 0, int minute = 0,
                            int second = 0) {
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    return fileTimeFromTimespec(timespec{timegm(&fields), 0});
}

}  // namespace varnel::test
