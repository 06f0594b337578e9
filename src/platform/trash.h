#pragma once
// The desktop's trash (the freedesktop.org layout every Linux file manager uses): a deleted
// file moves to Trash/files/ with a Trash/info/NAME.trashinfo saying where it came from and
// when, so the file manager can put it back. Files of the home file system go to the user's
// trash ($XDG_DATA_HOME/Trash, else ~/.local/share/Trash); files of another file system to
// .Trash-UID at its top, since a trash is only ever reached by a rename.
#include <string>

namespace varnel {

enum class TrashOutcome {
    Trashed,
    NoTrash,  // no trash can take it (its file system refuses one): delete it for good or not
    Failed,   // the file could not be moved (gone, no permission, ...)
};

// `path` is absolute. `why` says what went wrong when the outcome is not Trashed.
TrashOutcome moveToTrash(const std::string& path, std::string& why);

// The user's trash folder, as used for files of the home file system.
std::string homeTrashFolder();

}  // namespace varnel
