#include "platform/filetime.h"

#include <sys/stat.h>

namespace varnel {

uint64_t fileTimeFromLocal(const LocalDateTime& local) {
    std::tm fields{};
    fields.tm_year = local.year - 1900;
    fields.tm_mon = local.month - 1;
    fields.tm_mday = local.day;
    fields.tm_hour = local.hour;
    fields.tm_min = local.minute;
    fields.tm_sec = local.second;
    fields.tm_isdst = -1;
    const time_t seconds = std::mktime(&fields);
    return fileTimeFromTimespec(timespec{seconds, 0});
}

LocalDateTime localFromFileTime(uint64_t fileTime) {
    const time_t seconds = timespecFromFileTime(fileTime).tv_sec;
    std::tm fields{};
    if (!localtime_r(&seconds, &fields)) return {};
    return {fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday,
            fields.tm_hour,        fields.tm_min,     fields.tm_sec};
}

uint64_t systemFileTime() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return fileTimeFromTimespec(ts);
}

uint64_t fileLastWriteTime(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return 0;
    return fileTimeFromTimespec(st.st_mtim);
}

}  // namespace varnel
