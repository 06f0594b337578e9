#include "platform/keylocks.h"

#include <dirent.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace varnel {

namespace {

bool lit(const std::string& brightnessFile) {
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(brightnessFile.c_str(), "re"),
                                               std::fclose);
    int value = 0;
    return file && std::fscanf(file.get(), "%d", &value) == 1 && value > 0;
}

bool endsWith(const char* name, const char* suffix) {
    const size_t n = std::strlen(name), m = std::strlen(suffix);
    return n >= m && std::strcmp(name + n - m, suffix) == 0;
}

}  // namespace

KeyLocks readKeyLocks(const std::string& ledsFolder) {
    KeyLocks locks;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(ledsFolder.c_str()), ::closedir);
    if (!dir) return locks;
    // One light per keyboard ("input3::capslock"): a lock is on when any keyboard shows it.
    while (const dirent* entry = ::readdir(dir.get())) {
        bool* lock = endsWith(entry->d_name, "::capslock")     ? &locks.caps
                     : endsWith(entry->d_name, "::numlock")    ? &locks.num
                     : endsWith(entry->d_name, "::scrolllock") ? &locks.scroll
                                                               : nullptr;
        if (lock && !*lock) *lock = lit(ledsFolder + "/" + entry->d_name + "/brightness");
    }
    return locks;
}

}  // namespace varnel
