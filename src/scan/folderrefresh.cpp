#include "scan/folderrefresh.h"

#include <cstring>
#include <ctime>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "catalog/tables.h"
#include "platform/folderlisting.h"
#include "remote/ftpnames.h"
#include "remote/ftpsession.h"
#include "remote/mirrorpaths.h"
#include "scan/directorysource.h"
#include "scan/listingmerge.h"
#include "scan/scanpaths.h"
#include "scan/scanservices.h"

namespace varnel {

namespace {

// The FTP folder's mirror folder keeps the mirrors of the subfolders the listing still has;
// everything else in it (copies downloaded for the preview, mirrors of vanished
// subfolders) goes. Links are removed, never followed.
void sweepMirrorFolder(const std::string& programDir, const std::string& folder,
                       const std::unordered_set<std::string>& subfolderNames) {
    std::string mirror;
    if (!MirrorPathOf(programDir, folder, mirror)) return;
    if (mirror.back() != '/') mirror.push_back('/');
    FolderListing listing;
    if (!listing.open(mirror.c_str())) return;
    std::vector<std::string> doomed;
    FolderEntry entry;
    while (listing.next(entry)) {
        const std::string name(entry.name);
        if (entry.kind == EntryKind::Folder && subfolderNames.count(name)) continue;
        doomed.push_back(mirror + name);
    }
    listing.close();
    for (const std::string& path : doomed) removeTree(path.c_str());
}

// The refresh of one call: what was read, what was found below, what to merge.
class Refresh {
  public:
    Refresh(ScanServices& services, int live) : services_(services), live_(live) {}

    int run(const FolderList& folders);

  private:
    bool openSource(const std::string& folder);
    void readFolder(const std::string& folder, ListingMerge& merge);
    void dropVanishedSubfolders(const FolderList& folders);

    ScanServices& services_;
    const int live_;
    const PassOverRules rules_ = PassOverRules::forThisSystem();
    DirectorySource source_;
    FolderSet unreadable_;
    FolderSet subfolders_;
    std::vector<std::string> read_;
};

bool Refresh::openSource(const std::string& folder) {
    if (folder.size() >= kTextSize) return false;
    if (!IsFtpName(folder.c_str())) return source_.openLocal(folder.c_str());
    if (live_ == 0)
        return services_.listingCache && source_.openCached(*services_.listingCache, folder);
    return services_.ftp && source_.openFtp(*services_.ftp, folder);
}

void Refresh::readFolder(const std::string& folder, ListingMerge& merge) {
    const bool ftp = IsFtpName(folder.c_str());
    const char separator = ftp ? '\\' : '/';
    const ListingMerge::Mark before = merge.mark();
    merge.beginFolder(folder.c_str());
    std::unordered_set<std::string> subfolderNames;
    std::vector<std::string> found;
    DirectoryEntry entry;
    std::string path;
    while (nextEntry(source_, entry)) {
        if (!usableEntryName(entry.name, ftp)) continue;
        if (!entry.isFolder) {
            // A path that does not fit a working text, or a size that does not fit 32 bits,
            // is not catalogued.
            if (folder.size() + entry.name.size() < kTextSize && entry.sizeHigh == 0)
                merge.addFile(entry.name.data(), entry.size, entry.lastWriteTime);
            continue;
        }
        path.assign(folder).append(entry.name).push_back(separator);
        if (path.size() >= kTextSize || rules_.passOver(path)) continue;
        found.push_back(path);
        if (ftp && !services_.programDir.empty()) {
            std::string mirror;
            MakeMirrorFolders(services_.programDir, path, mirror);
            subfolderNames.emplace(entry.name);
        }
    }
    if (source_.failed()) {
        // Half a listing would make the rest look vanished: the folder keeps what it had.
        merge.rewind(before);
        source_.close();
        unreadable_.add(folder);
        return;
    }
    source_.close();
    for (const std::string& sub : found) subfolders_.add(sub);
    read_.push_back(folder);
    if (ftp && !services_.programDir.empty())
        sweepMirrorFolder(services_.programDir, folder, subfolderNames);
}

// Records below a folder that was read, in a subfolder its listing no longer has, are gone
// with the subfolder; also when no subfolder is left at all.
void Refresh::dropVanishedSubfolders(const FolderList& folders) {
    if (read_.empty()) return;
    FolderSet refreshed;
    for (const std::string& f : folders.entries()) refreshed.add(f);
    auto vanished = [&](std::string_view folder) {
        if (refreshed.holds(folder) || subfolders_.holdsOrIsBelow(folder)) return false;
        for (const std::string& r : read_)
            if (startsWithPath(folder, r)) return true;
        return false;
    };
    // The folder pool holds every catalogued folder: a cheap look there first.
    Catalog& catalog = services_.catalog;
    catalog.flushPendingStrings();
    const StringPool& pool = catalog.folderPool();
    bool any = false;
    for (uint32_t at = 0; at < pool.used && !any;) {
        const std::string_view folder(pool.at(at));
        at += static_cast<uint32_t>(folder.size() + 1);
        any = !folder.empty() && vanished(folder);
    }
    if (any) dropMasterRecords(catalog, vanished);
}

int Refresh::run(const FolderList& folders) {
    Catalog& catalog = services_.catalog;
    // Only a refresh from the server needs a login; one from the listing cache must never
    // open a login dialog (the timer runs it, also while the window asks to close).
    if (services_.ftp && live_ != 0)
        for (const std::string& f : folders.entries()) services_.ftp->PromptRemoteLogin(f);

    const int found = catalog.reserveTempList();
    const int prior = catalog.reserveTempList();
    const int lookup = catalog.reserveTempList();
    collectPriorRecords(catalog, prior, lookup,
                        [&](std::string_view folder) { return folders.holds(folder); });
    ListingMerge merge(catalog, found, lookup);
    int result = 1;
    for (const std::string& folder : folders.entries()) {
        if (!openSource(folder)) {
            unreadable_.add(folder);
            result = 0;
            continue;
        }
        readFolder(folder, merge);
        if (unreadable_.holds(folder)) result = 0;
    }
    merge.collectGone(prior, [&](std::string_view folder) { return unreadable_.holds(folder); });
    mergeScanResult(catalog, found, prior);
    catalog.releaseTempList(lookup);
    catalog.releaseTempList(prior);
    catalog.releaseTempList(found);
    dropVanishedSubfolders(folders);
    return result;
}

}  // namespace

int refreshFolders(ScanServices& services, const char* folders, ptrdiff_t length, int live) {
    FolderList list;
    if (length == kSingleFolder) {
        list = FolderList::fromBytes(folders, std::strlen(folders), true);
    } else {
        if (length < 0 || static_cast<size_t>(length) > kRefreshListLimit) return 0;
        list = FolderList::fromBytes(folders, static_cast<size_t>(length), true);
    }
    return Refresh(services, live).run(list);
}

void cleanMirrorRoot(const std::string& programDir, int64_t nowSeconds) {
    if (programDir.empty() || nowSeconds % 16 != 0) return;
    removeTree((programDir + "/Ftp").c_str());
}

void cleanMirrorRoot(const std::string& programDir) {
    cleanMirrorRoot(programDir, static_cast<int64_t>(std::time(nullptr)));
}

}  // namespace varnel
