#pragma once
// The change monitor: notices name changes in the watched folders and, at the next Refresh,
// brings the watched folders of the file systems where something changed up to date. It has
// no thread: the window's 200 ms timer calls pollDriveChanges(), the Refresh command calls
// RefreshCommand(). Everything here runs on the user-interface thread.
//
// There is one drive slot per local file system of the drive survey; a watched folder
// belongs to the slot of the file system that holds it (the longest root it begins with).
// A slot is armed with an inotify watch on each of its watched folders that exists; a
// change in any of them marks the slot, closes its watches, and the slot stays quiet until
// refreshWatchedFolders() clears the mark.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/folderwatch.h"

namespace varnel {

class Prompt;
class ScanServices;

class ChangeMonitor {
  public:
    // `driveRoots` are the local file-system roots, each ending with "/".
    ChangeMonitor(Prompt& prompt, std::vector<std::string> driveRoots);
    ~ChangeMonitor();
    ChangeMonitor(const ChangeMonitor&) = delete;
    ChangeMonitor& operator=(const ChangeMonitor&) = delete;

    int slotCount() const { return static_cast<int>(slots_.size()); }
    // The slot of a folder; -1 for folders on no local file system (FTP, network names).
    int slotOf(std::string_view folder) const;
    bool changed(int slot) const { return slots_[static_cast<size_t>(slot)].changed; }
    bool armed(int slot) const { return slots_[static_cast<size_t>(slot)].armed; }
    // Slots are watched from the start; a slot not watched is never armed.
    void setWatched(int slot, bool watched) { slots_[static_cast<size_t>(slot)].watched = watched; }

    // The timer's first step: arms quiet slots, takes pending changes, closes the watches of
    // slots that changed. Never waits.
    void pollDriveChanges(const std::string& watchedFolders);
    // Refreshes the watched folders of every changed slot and clears all marks. A refresh
    // that took 2 seconds or more halves a list of 10 or more folders.
    void refreshWatchedFolders(ScanServices& services);
    // When the window goes: every watch is closed.
    void closeDriveWatches();

    FolderWatch& folderWatch() { return watch_; }

    // Seconds of a steady clock; tests put their own in.
    std::function<int64_t()> clockSeconds;

  private:
    struct Slot {
        std::string root;
        bool watched = true;
        bool changed = true;  // every slot starts changed: the first Refresh does them all
        bool armed = false;
        std::vector<int> watches;
    };
    void arm(size_t slot, const std::string& watchedFolders);
    void disarm(size_t slot);

    Prompt& prompt_;
    std::vector<Slot> slots_;
    FolderWatch watch_;
    std::unordered_map<int, std::vector<size_t>> slotsOfWatch_;
    bool limitTold_ = false;
};

// The Refresh command's catalog side. When the current view shows a folder, that folder is
// refreshed. Otherwise the folders of the records on the current page (`pageSize` records
// from the page's top index) whose files look stale (cannot be opened, or have another time)
// are refreshed, and then the watched folders of the changed slots. Ends by asking for a
// page refresh.
void RefreshCommand(ScanServices& services, ChangeMonitor& monitor, int32_t pageSize);

}  // namespace varnel
