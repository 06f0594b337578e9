// Feeds arbitrary bytes to what reads a catalogued page before the preview shows it: the title
// reader of the Note column and the sniffing that decides how a file is shown. A title never
// holds markup and stays below its limit; the sniff answers for any bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "view/pagetitle.h"
#include "view/previewsource.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace varnel;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string title = PageTitleOf(bytes);
    if (title.size() >= kPageTitleLimit) std::abort();
    if (title.find('<') != std::string::npos) std::abort();
    if (title.find('\0') != std::string::npos) std::abort();
    const bool cut = size > 0 && data[0] & 1;
    sniffText(bytes, cut);
    previewKindOf(size > 0 ? bytes.substr(0, data[0] % (size + 1)) : "", bytes, cut);
    return 0;
}
