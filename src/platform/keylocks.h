#pragma once
// Whether Caps Lock, Num Lock and Scroll Lock are on, read from the keyboard lights the
// kernel keeps under /sys/class/leds (readable by any user, whatever the display server).
// A machine without them reads as all off.
#include <string>
#include <vector>

namespace varnel {

struct KeyLocks {
    bool caps = false;
    bool num = false;
    bool scroll = false;
    bool operator==(const KeyLocks&) const = default;
};

class KeyLights {
  public:
    explicit KeyLights(std::string ledsFolder = "/sys/class/leds");
    // Reads the lights found; the folder itself is looked through again only now and then,
    // for a keyboard plugged in meanwhile.
    KeyLocks read();

  private:
    void find();

    std::string folder_;
    std::vector<std::string> lights_[3];  // brightness files: caps, num, scroll
    int readsSinceFind_ = 0;
};

}  // namespace varnel
