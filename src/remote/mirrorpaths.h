#pragma once
// The local mirror folders of FTP folders: ftp:\\host\pub\ mirrors to
// <program directory>/Ftp/host/pub/. They are empty; only their existence matters, so that
// the folder tree can show FTP sites beside local folders.
#include <string>
#include <string_view>

namespace varnel {

class Catalog;

// The mirror path of an FTP name (catalog spelling); nothing is appended or created. A name
// with an empty, ".", ".." or "/"-holding level has none: it could reach outside the mirror
// root or name another folder than the server's.
bool MirrorPathOf(const std::string& programDir, std::string_view ftpName, std::string& path);

// Builds the mirror path (ending with "/") and creates every folder along it, from the mirror
// root down. A level that cannot be made and is not already a folder ends the walk silently.
// False when the name has no mirror path or a level could not be made.
bool MakeMirrorFolders(const std::string& programDir, std::string_view ftpName, std::string& path);

// As MakeMirrorFolders; at every level from the host down it also makes the mirror folders of
// the catalogued FTP folders one level below that level.
bool MakeMirrorFoldersAndRegister(const std::string& programDir, Catalog& catalog,
                                  std::string_view ftpName, std::string& path);

// Makes the mirror folders of the catalog's folders directly below `prefix` (an FTP name
// ending with "\"); true when some catalogued folder lies below it.
bool MakeChildMirrorFolders(const std::string& programDir, Catalog& catalog,
                            std::string_view prefix);

// The FTP name of a folder-tree path under the mirror root; any other path comes back as it
// is. `asSelection` adds the trailing "\" that the selected item's name carries.
std::string MirrorPathToFtpName(const std::string& programDir, std::string_view path,
                                bool asSelection);

}  // namespace varnel
