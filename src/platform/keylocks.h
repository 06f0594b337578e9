#pragma once
// Whether Caps Lock, Num Lock and Scroll Lock are on, read from the keyboard lights the
// kernel keeps under /sys/class/leds (readable by any user, whatever the display server).
// A machine without them reads as all off.
#include <string>

namespace varnel {

struct KeyLocks {
    bool caps = false;
    bool num = false;
    bool scroll = false;
    bool operator==(const KeyLocks&) const = default;
};

KeyLocks readKeyLocks(const std::string& ledsFolder = "/sys/class/leds");

}  // namespace varnel
