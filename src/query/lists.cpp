#include "query/lists.h"

#include <cstring>
#include <string_view>

#include "catalog/tables.h"

namespace varnel {

int extensionInList(const char* name, const char* extensionList) {
    std::string_view list(extensionList);
    if (list.empty()) return 1;
    const char* dot = std::strrchr(name, '.');
    if (!dot) return 0;
    std::string_view extension(dot + 1);
    if (extension.find(',') != std::string_view::npos || extension.size() > 127) return 0;
    char lowered[128];
    for (size_t i = 0; i < extension.size(); ++i)
        lowered[i] = static_cast<char>(foldCase(static_cast<unsigned char>(extension[i])));
    std::string_view wanted(lowered, extension.size());
    for (size_t start = 0;;) {
        size_t comma = list.find(',', start);
        std::string_view element = list.substr(
            start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
        if (element == wanted) return 1;
        if (comma == std::string_view::npos) return 0;
        start = comma + 1;
    }
}

int prefixInList(const char* text, const char* prefixList, size_t length) {
    if (length < 2) return 0;
    const size_t textLength = std::strlen(text);
    for (size_t offset = 0; offset < length;) {
        const char* entry = prefixList + offset;
        size_t entryLength = strnlen(entry, length - offset);
        if (entryLength <= textLength &&
            equalIgnoringCase({text, entryLength}, {entry, entryLength}))
            return 1;
        offset += entryLength + 1;
    }
    return 0;
}

}  // namespace varnel
