#pragma once
// File times in the catalog's unit: 100-ns intervals since 1601-01-01 UTC.
#include <cstdint>
#include <ctime>
#include <string>

namespace varnel {

inline constexpr uint64_t kUnixEpochAsFileTime = 116444736000000000ULL;
inline constexpr uint64_t kFileTimeSecond = 10000000;

inline uint64_t fileTimeFromTimespec(const timespec& ts) {
    // Times before 1601 cannot be stored; they become 0.
    int64_t units = static_cast<int64_t>(ts.tv_sec) * 10000000 + ts.tv_nsec / 100;
    if (units < -static_cast<int64_t>(kUnixEpochAsFileTime)) return 0;
    return kUnixEpochAsFileTime + static_cast<uint64_t>(units);
}

inline timespec timespecFromFileTime(uint64_t fileTime) {
    int64_t units = static_cast<int64_t>(fileTime - kUnixEpochAsFileTime);
    timespec ts{};
    ts.tv_sec = units / 10000000;
    ts.tv_nsec = (units % 10000000) * 100;
    if (ts.tv_nsec < 0) {
        ts.tv_nsec += 1000000000;
        ts.tv_sec -= 1;
    }
    return ts;
}

// A wall-clock time of the system's time zone (TZ), as a person reads and types it.
struct LocalDateTime {
    int year = 1970, month = 1, day = 1;  // month and day count from 1
    int hour = 0, minute = 0, second = 0;
    bool operator==(const LocalDateTime&) const = default;
};

// The instant a local wall-clock time names. Whether summer time applies is the time zone's
// to say (mktime with tm_isdst = -1), so a range typed across a clock change keeps its
// wall-clock ends. Instants before 1601 give 0.
uint64_t fileTimeFromLocal(const LocalDateTime& local);

// The wall-clock time at `fileTime` in the system's time zone, to the second.
LocalDateTime localFromFileTime(uint64_t fileTime);

// The system clock as a file time.
uint64_t systemFileTime();

// Last-write time of `path` as a file time; 0 when it cannot be read.
uint64_t fileLastWriteTime(const std::string& path);

}  // namespace varnel
