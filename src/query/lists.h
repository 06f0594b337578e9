#pragma once
// Extension lists ("htm,html": lowercase, no dots, comma-separated) and prefix lists
// (NUL-terminated texts with their total length).
#include <cstddef>

namespace varnel {

// 1 when the name's extension (after its last ".", compared in lower case) is one whole
// element of the list; an empty list accepts every name.
int extensionInList(const char* name, const char* extensionList);

// 1 when some entry of the list is a prefix of the text, ignoring case.
int prefixInList(const char* text, const char* prefixList, size_t length);

}  // namespace varnel
