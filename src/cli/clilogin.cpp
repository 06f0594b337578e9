#include "cli/clilogin.h"

namespace varnel {

namespace {

std::string percentDecoded(std::string_view text) {
    auto hex = [](char c) {
        return c >= '0' && c <= '9'   ? c - '0'
               : c >= 'a' && c <= 'f' ? c - 'a' + 10
               : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                      : -1;
    };
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hex(text[i + 1]) >= 0 &&
            hex(text[i + 2]) >= 0) {
            out.push_back(static_cast<char>(hex(text[i + 1]) * 16 + hex(text[i + 2])));
            i += 2;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

}  // namespace

bool takeUrlLogin(std::string& url, CliLogin& login) {
    constexpr size_t kSchemeLength = 6;  // "ftp://"
    const size_t hostEnd = url.find('/', kSchemeLength);
    const size_t at = url.rfind('@', hostEnd);
    if (url.size() < kSchemeLength || at == std::string::npos || at < kSchemeLength) return false;
    const std::string_view userInfo(url.data() + kSchemeLength, at - kSchemeLength);
    const size_t colon = userInfo.find(':');
    login.user = percentDecoded(userInfo.substr(0, colon));
    login.password = colon == std::string_view::npos ? "" : percentDecoded(userInfo.substr(colon + 1));
    login.hasUser = true;
    url.erase(kSchemeLength, at + 1 - kSchemeLength);
    return true;
}

}  // namespace varnel
