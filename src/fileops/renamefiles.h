#pragma once
// Renaming the file behind a record: the file moves first, and only a move that worked
// changes the catalog. An existing file of the new name is never replaced without asking.
#include <string>
#include <string_view>

namespace varnel {

struct FileOpsContext;

// Why `name` cannot be a file name in a folder ("" when it can).
std::string refusedFileName(std::string_view name);

// Moves a local file; `replace` allows an existing target to be replaced. Returns "" or
// why it failed; `exists` tells that the target was there and `replace` was false.
std::string moveLocalFile(const std::string& from, const std::string& to, bool replace,
                          bool& exists);

// The focused record of `list`: edit its full path, move the file, and give every record of
// it (in every list) the new folder and name.
bool RenameFocused(FileOpsContext& context, int list, int32_t focus);
// The single selected record: edit its name, rename the file locally or on the server, and
// bring its folder's records up to date.
bool RenameSelected(FileOpsContext& context);

}  // namespace varnel
