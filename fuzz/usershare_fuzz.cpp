// Feeds arbitrary bytes to the reader of `net usershare info`. Whatever it accepts must be
// shares with a name and a path and no NUL byte anywhere; whatever it refuses, it says why.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "remote/usershareinfo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<varnel::UserShareEntry> shares;
    std::string why;
    if (!varnel::parseUserShareInfo(text, shares, why)) {
        if (why.empty()) std::abort();
        return 0;
    }
    for (const varnel::UserShareEntry& share : shares) {
        if (share.name.empty() || share.path.empty()) std::abort();
        for (const std::string* field : {&share.name, &share.path, &share.comment, &share.acl})
            if (field->find('\0') != std::string::npos) std::abort();
        varnel::aclIsReadOnly(share.acl);
    }
    return 0;
}
