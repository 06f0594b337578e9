#include "remote/usershareinfo.h"

namespace varnel {

namespace {

std::string_view withoutCarriageReturn(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

bool fail(std::string& error, size_t lineNumber, const char* why) {
    error =
        "unexpected output of net usershare info, line " + std::to_string(lineNumber) + ": " + why;
    return false;
}

}  // namespace

bool parseUserShareInfo(std::string_view text, std::vector<UserShareEntry>& out,
                        std::string& error) {
    out.clear();
    if (text.find('\0') != std::string_view::npos) return fail(error, 0, "it holds a NUL byte");
    bool seenPath = false, seenComment = false, seenAcl = false, seenGuest = false;
    size_t lineNumber = 0;
    auto closeBlock = [&]() {
        if (!out.empty() && (!seenPath || out.back().path.empty()))
            return fail(error, lineNumber, "a share without a path");
        return true;
    };
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = withoutCarriageReturn(text.substr(at, end - at));
        at = end + 1;
        ++lineNumber;
        if (line.empty()) continue;
        if (line.front() == '[') {
            if (line.size() < 3 || line.back() != ']')
                return fail(error, lineNumber, "a share name without its closing ']'");
            if (!closeBlock()) return false;
            out.push_back(
                UserShareEntry{std::string(line.substr(1, line.size() - 2)), {}, {}, {}, false});
            seenPath = seenComment = seenAcl = seenGuest = false;
            continue;
        }
        if (out.empty()) return fail(error, lineNumber, "a line before the first share name");
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos) return fail(error, lineNumber, "a line without '='");
        const std::string_view key = line.substr(0, equals);
        const std::string_view value = line.substr(equals + 1);
        UserShareEntry& entry = out.back();
        bool* seen = nullptr;
        if (key == "path") {
            seen = &seenPath;
            entry.path = value;
        } else if (key == "comment") {
            seen = &seenComment;
            entry.comment = value;
        } else if (key == "usershare_acl") {
            seen = &seenAcl;
            entry.acl = value;
        } else if (key == "guest_ok") {
            seen = &seenGuest;
            entry.guestOk = value == "y" || value == "Y";
        } else {
            continue;  // a later Samba may say more; what we need is checked above
        }
        if (*seen) return fail(error, lineNumber, "a key given twice for one share");
        *seen = true;
    }
    ++lineNumber;
    return closeBlock();
}

bool aclIsReadOnly(std::string_view acl) {
    bool any = false;
    while (!acl.empty()) {
        size_t comma = acl.find(',');
        std::string_view entry = acl.substr(0, comma);
        acl = comma == std::string_view::npos ? std::string_view() : acl.substr(comma + 1);
        if (entry.empty()) continue;
        const size_t colon = entry.rfind(':');
        if (colon == std::string_view::npos) return false;
        const std::string_view right = entry.substr(colon + 1);
        if (right == "R" || right == "r") {
            any = true;
        } else if (right != "D" && right != "d") {
            return false;
        }
    }
    return any;
}

}  // namespace varnel
