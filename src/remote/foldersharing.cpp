#include "remote/foldersharing.h"

#include <optional>

#include "catalog/tables.h"
#include "catalog/workspace.h"
#include "platform/folderlisting.h"
#include "platform/prompt.h"
#include "remote/shareservice.h"

namespace varnel {

namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto fold = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
        if (fold(static_cast<unsigned char>(a[i])) != fold(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

std::string withoutTrailingSlash(std::string path) {
    if (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

}  // namespace

bool folderHasShareableFile(const std::string& folder) {
    FolderListing listing;
    if (!listing.open(folder.c_str())) return false;
    FolderEntry entry;
    while (listing.next(entry))
        if (entry.kind == EntryKind::File && !equalsIgnoringCase(entry.name, kShareIntroPage))
            return true;
    return false;
}

FolderSharing::FolderSharing(ShareService& service, Prompt& prompt, Catalog& catalog,
                             const Settings& settings, std::string shareFolder)
    : service_(service),
      prompt_(prompt),
      catalog_(catalog),
      settings_(settings),
      shareFolder_(std::move(shareFolder)) {}

bool FolderSharing::fail(Report report, const std::string& text) {
    if (report == Report::Message)
        prompt_.tell(text);
    else
        prompt_.status(text);
    return false;
}

bool FolderSharing::RefreshShare(Report report) {
    if (!folderHasShareableFile(shareFolder_)) return withdraw(report);
    if (!service_.LoadNetApi()) {
        fillShareList(false);
        return fail(report, "The share folder cannot be shared: " + service_.unavailableReason());
    }
    // Adding again replaces the share; one that already stands as wanted is left alone.
    std::optional<UserShareEntry> share;
    const bool current = service_.ShareInfo(kShareName, share) && share &&
                         share->path == withoutTrailingSlash(shareFolder_) &&
                         aclIsReadOnly(share->acl) && share->guestOk;
    if (!current &&
        !service_.AddShare(shareFolder_, kShareName, "", true, settings_.shareAccountPassword)) {
        fillShareList(false);
        return fail(report, "The share folder could not be shared: " + service_.lastError());
    }
    fillShareList(true);
    return true;
}

bool FolderSharing::StopShare(Report report) {
    return withdraw(report);
}

bool FolderSharing::withdraw(Report report) {
    fillShareList(false);
    // Where shares cannot be made there is none to take back.
    if (!service_.LoadNetApi()) return true;
    std::optional<UserShareEntry> share;
    if (!service_.ShareInfo(kShareName, share))
        return fail(report, "The share could not be read: " + service_.lastError());
    if (share && !service_.DeleteShare(kShareName))
        return fail(report, "The share could not be removed: " + service_.lastError());
    return true;
}

void FolderSharing::fillShareList(bool shared) {
    catalog_.setRecordCount(kShareList, 0);
    FolderListing listing;
    if (shared && listing.open(shareFolder_.c_str())) {
        FolderEntry entry;
        int32_t i = 0;
        while (listing.next(entry)) {
            if (entry.kind != EntryKind::File) continue;
            if (!catalog_.writeRecordName(kShareList, i, entry.name) ||
                !catalog_.writeRecordFolder(kShareList, i, shareFolder_))
                continue;  // a name too long for the catalog is shared, but not listed
            catalog_.writeRecordNote(kShareList, i, "");
            *catalog_.timeSlot(kShareList, i) = kShareNeverEnds;
            *catalog_.sizeSlot(kShareList, i) = static_cast<uint32_t>(entry.size);
            catalog_.setRecordCount(kShareList, ++i);
        }
    }
    if (shareListChanged) shareListChanged();
}

}  // namespace varnel
