#include "scan/changemonitor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "catalog/tables.h"
#include "platform/filetime.h"
#include "platform/prompt.h"
#include "remote/ftpnames.h"
#include "scan/folderrefresh.h"
#include "scan/scanpaths.h"
#include "scan/scanservices.h"

namespace varnel {

namespace {

constexpr int64_t kSlowRefreshSeconds = 2;
constexpr int kTrimFromCount = 10;

const char kWatchLimitText[] =
    "The system's limit of folder watches (fs.inotify.max_user_watches) was reached: changes "
    "in some watched folders will go unnoticed until they are refreshed.";

template <class F>
void forEachFolder(std::string_view list, F&& f) {
    for (size_t at = 0; at < list.size();) {
        const size_t n = std::min(list.find('\0', at), list.size()) - at;
        if (n > 0) f(list.substr(at, n));
        at += n + 1;
    }
}

int64_t steadySeconds() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The file behind a record no longer looks like the record: it cannot be opened for
// reading, or its last-write time differs.
bool looksStale(std::string_view folder, std::string_view name, uint64_t recordTime) {
    if (folder.size() + name.size() >= kTextSize) return true;
    char path[kTextSize];
    std::memcpy(path, folder.data(), folder.size());
    std::memcpy(path + folder.size(), name.data(), name.size());
    path[folder.size() + name.size()] = 0;
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return true;
    struct stat st {};
    const bool stale = ::fstat(fd, &st) != 0 || fileTimeFromTimespec(st.st_mtim) != recordTime;
    ::close(fd);
    return stale;
}

}  // namespace

ChangeMonitor::ChangeMonitor(Prompt& prompt, std::vector<std::string> driveRoots)
    : clockSeconds(steadySeconds), prompt_(prompt) {
    for (std::string& root : driveRoots) {
        if (root.empty()) continue;
        if (root.back() != '/') root.push_back('/');
        Slot slot;
        slot.root = std::move(root);
        slots_.push_back(std::move(slot));
    }
}

ChangeMonitor::~ChangeMonitor() {
    closeDriveWatches();
}

int ChangeMonitor::slotOf(std::string_view folder) const {
    int best = -1;
    size_t bestLength = 0;
    for (size_t s = 0; s < slots_.size(); ++s) {
        const std::string& root = slots_[s].root;
        if (root.size() > bestLength && folder.starts_with(root)) {
            best = static_cast<int>(s);
            bestLength = root.size();
        }
    }
    return best;
}

void ChangeMonitor::arm(size_t s, const std::string& watchedFolders) {
    Slot& slot = slots_[s];
    forEachFolder(watchedFolders, [&](std::string_view folder) {
        if (slotOf(folder) != static_cast<int>(s) || folder.size() >= kTextSize) return;
        int error = 0;
        const int watch = watch_.add(std::string(folder).c_str(), &error);
        if (watch < 0) {
            // A folder that does not exist is not watched; the limit is said once a run.
            if (error == ENOSPC && !limitTold_) {
                limitTold_ = true;
                prompt_.status(kWatchLimitText);
            }
            return;
        }
        if (std::find(slot.watches.begin(), slot.watches.end(), watch) != slot.watches.end())
            return;
        slot.watches.push_back(watch);
        slotsOfWatch_[watch].push_back(s);
    });
    slot.armed = true;
}

void ChangeMonitor::disarm(size_t s) {
    Slot& slot = slots_[s];
    for (int watch : slot.watches) {
        auto it = slotsOfWatch_.find(watch);
        if (it == slotsOfWatch_.end()) continue;
        std::vector<size_t>& owners = it->second;
        owners.erase(std::remove(owners.begin(), owners.end(), s), owners.end());
        // The same folder (a bind mount) may be watched for another slot too.
        if (owners.empty()) {
            slotsOfWatch_.erase(it);
            watch_.remove(watch);
        }
    }
    slot.watches.clear();
    slot.armed = false;
}

void ChangeMonitor::pollDriveChanges(const std::string& watchedFolders) {
    for (size_t s = 0; s < slots_.size(); ++s)
        if (slots_[s].watched && !slots_[s].changed && !slots_[s].armed) arm(s, watchedFolders);
    watch_.drain([&](int watch) {
        if (watch == FolderWatch::kOverflow) {
            for (Slot& slot : slots_)
                if (slot.armed) slot.changed = true;
            return;
        }
        // Events of watches already closed (their removal notice among them) are ignored.
        auto it = slotsOfWatch_.find(watch);
        if (it == slotsOfWatch_.end()) return;
        for (size_t s : it->second) slots_[s].changed = true;
    });
    for (size_t s = 0; s < slots_.size(); ++s)
        if (slots_[s].changed && slots_[s].armed) disarm(s);
}

void ChangeMonitor::refreshWatchedFolders(ScanServices& services) {
    const int64_t start = clockSeconds();
    std::string* watched = services.watchedFolders;
    // refreshFolders takes at most 6144 bytes at a time: a longer collection goes in parts
    // rather than being refused whole.
    std::vector<std::string> parts(1);
    if (watched)
        forEachFolder(*watched, [&](std::string_view folder) {
            const int s = slotOf(folder);
            if (s < 0 || !slots_[static_cast<size_t>(s)].changed) return;
            if (parts.back().size() + folder.size() + 1 > kRefreshListLimit) parts.emplace_back();
            parts.back().append(folder).push_back('\0');
        });
    for (Slot& slot : slots_) slot.changed = false;
    for (const std::string& part : parts)
        if (!part.empty())
            refreshFolders(services, part.data(), static_cast<ptrdiff_t>(part.size()), 0);
    if (!watched || clockSeconds() - start < kSlowRefreshSeconds) return;
    int count = 0;
    forEachFolder(*watched, [&](std::string_view) { ++count; });
    if (count < kTrimFromCount) return;
    // A slow refresh keeps only the first half of a long list, so later ones stay short.
    std::string kept;
    int keep = count / 2;
    forEachFolder(*watched, [&](std::string_view folder) {
        if (keep-- > 0) kept.append(folder).push_back('\0');
    });
    watched->swap(kept);
}

void ChangeMonitor::closeDriveWatches() {
    for (size_t s = 0; s < slots_.size(); ++s)
        if (slots_[s].armed) disarm(s);
}

void RefreshCommand(ScanServices& services, ChangeMonitor& monitor, int32_t pageSize) {
    Catalog& catalog = services.catalog;
    const ViewHistory& history = catalog.history();
    const int list = catalog.currentList();
    if (list >= 0) {
        const char* address = history.address[static_cast<size_t>(history.position)].data();
        if (IsFolderName(address)) {
            refreshFolders(services, address, kSingleFolder, 0);
            catalog.page().refreshRequests++;
            return;
        }
        std::string collected;
        FolderList seen;
        const int32_t count = catalog.recordCount(list);
        const int32_t top = catalog.page().topIndex;
        for (int32_t i = top; i < top + pageSize; ++i) {
            if (i < 0 || i >= count) continue;
            catalog.flushPendingStrings();
            const std::string folder = catalog.recordFolder(list, i);
            if (seen.holds(folder)) continue;
            if (!looksStale(folder, catalog.recordName(list, i), *catalog.recordTime(list, i)))
                continue;
            if (collected.size() + folder.size() + 1 >= kTextSize) break;
            seen.add(folder);
            collected.append(folder).push_back('\0');
        }
        if (!collected.empty())
            refreshFolders(services, collected.data(), static_cast<ptrdiff_t>(collected.size()), 0);
        monitor.refreshWatchedFolders(services);
    }
    catalog.page().refreshRequests++;
}

}  // namespace varnel
