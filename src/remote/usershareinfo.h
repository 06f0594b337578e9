#pragma once
// Reads what `net usershare info` prints: one block per share,
//   [NAME]
//   path=/folder
//   comment=
//   usershare_acl=S-1-1-0:R,
//   guest_ok=y
// The text comes from another program, so anything unexpected is refused with a reason.
#include <string>
#include <string_view>
#include <vector>

namespace varnel {

struct UserShareEntry {
    std::string name;
    std::string path;
    std::string comment;
    std::string acl;  // "S-1-1-0:R," or "Everyone:R,": one "who:right," per entry
    bool guestOk = false;
};

// Fills `out` with every share of `text`; false with `error` set when the text is not such a
// listing (a line outside a block, a block without a path, a NUL byte, a key seen twice).
bool parseUserShareInfo(std::string_view text, std::vector<UserShareEntry>& out,
                        std::string& error);

// Whether every entry of the access list grants reading only ("R"), none full ("F").
bool aclIsReadOnly(std::string_view acl);

}  // namespace varnel
