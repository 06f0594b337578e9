#pragma once
// Folder paths as the scan, the refresh and the change monitor compare them.
//
// Local folders end with "/", FTP folders (catalog spelling ftp:\\host\dir\) with "\". Local
// paths are compared byte for byte, because Linux file names are case-sensitive: "/a/Docs/"
// and "/a/docs/" are two folders, and treating them as one would let a scan of one drop the
// records of the other. FTP names are compared ignoring case, as everywhere else.
#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "catalog/identity.h"
#include "platform/mounttable.h"

namespace varnel {

// "\" for an FTP name, "/" for anything else.
char folderSeparator(std::string_view folder);

// A prefix list (NUL-separated entries and their total length, every NUL counted) of
// folders.
class FolderList {
  public:
    FolderList() = default;
    // From NUL-separated bytes; empty entries are left out, since an empty prefix would
    // stand for every folder there is. With `complete`, every entry gets its trailing
    // separator, so that "/data" stands for "/data/" and never for "/database/".
    static FolderList fromBytes(const char* bytes, size_t length, bool complete = false);
    // A scan-dialog text cut at every ","; FTP URLs become FTP names. `complete` as above.
    static FolderList fromText(std::string_view text, bool complete);

    void add(std::string_view folder);
    const char* data() const { return bytes_.data(); }
    size_t length() const { return bytes_.size(); }
    bool empty() const { return bytes_.empty(); }
    const std::vector<std::string>& entries() const { return entries_; }

    // Some entry is a prefix of `text` (by the identity rule of startsWithPath).
    bool holdsPrefixOf(std::string_view text) const;
    // Some entry equals `folder`.
    bool holds(std::string_view folder) const;

  private:
    std::string bytes_;
    std::vector<std::string> entries_;
};

// Folders looked up by their exact spelling (local) or folded spelling (FTP), for tests
// done once per record.
class FolderSet {
  public:
    void add(std::string_view folder);
    bool empty() const { return keys_.empty(); }
    bool holds(std::string_view folder) const;
    // `folder` or one of the folders above it is in the set.
    bool holdsOrIsBelow(std::string_view folder) const;

  private:
    static std::string key(std::string_view folder);
    std::unordered_set<std::string> keys_;
};

// The subfolders every walk passes over on Linux: mount points of the kernel's pseudo file
// systems (whose "files" are not files and may never end) and the freedesktop trash folders.
class PassOverRules {
  public:
    PassOverRules() = default;
    explicit PassOverRules(const std::vector<MountPoint>& mounts);
    // From this process's mount table.
    static PassOverRules forThisSystem();

    // `subfolder` (ending with its separator) is not to be walked.
    bool passOver(std::string_view subfolder) const;

  private:
    std::unordered_set<std::string> pseudoMounts_;  // each ending with "/"
};

// Whether a folder name of the listing may become part of a path: not empty, not "." or
// "..", and (for FTP) free of separators, which would name another folder.
bool usableEntryName(std::string_view name, bool ftp);

}  // namespace varnel
