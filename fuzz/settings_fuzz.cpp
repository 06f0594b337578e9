// Feeds arbitrary bytes to the cfg.dat reader. Whatever it accepts must write out within
// the buffers and read back to the same settings, and writing that again must not change
// a byte.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "catalog/workspace.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using varnel::Settings;
    constexpr int32_t kRecords = 1234;

    Settings first;
    varnel::parseSettings(std::string_view(reinterpret_cast<const char*>(data), size), first);
    const std::string encoded = varnel::encodeSettings(first, kRecords);

    Settings second;
    if (varnel::parseSettings(encoded, second) != 16) std::abort();
    if (second.initialColumnCapacity != 2 * kRecords) std::abort();
    second.initialColumnCapacity = first.initialColumnCapacity;
    if (!(second == first)) std::abort();
    if (varnel::encodeSettings(second, kRecords) != encoded) std::abort();
    return 0;
}
