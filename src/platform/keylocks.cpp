#include "platform/keylocks.h"

#include <dirent.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace varnel {

namespace {

constexpr int kReadsPerFind = 25;  // about five seconds of timer ticks
constexpr const char* kLightSuffixes[3] = {"::capslock", "::numlock", "::scrolllock"};

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

KeyLights::KeyLights(std::string ledsFolder) : folder_(std::move(ledsFolder)) {
    find();
}

// One light per keyboard ("input3::capslock").
void KeyLights::find() {
    for (auto& files : lights_) files.clear();
    readsSinceFind_ = 0;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder_.c_str()), ::closedir);
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir.get()))
        for (int k = 0; k < 3; ++k)
            if (endsWith(entry->d_name, kLightSuffixes[k]))
                lights_[k].push_back(folder_ + "/" + entry->d_name + "/brightness");
}

KeyLocks KeyLights::read() {
    if (++readsSinceFind_ > kReadsPerFind) find();
    bool on[3] = {};
    // A lock is on when any keyboard shows it.
    for (int k = 0; k < 3; ++k)
        for (const std::string& file : lights_[k])
            if (!on[k]) on[k] = lit(file);
    return {on[0], on[1], on[2]};
}

}  // namespace varnel
