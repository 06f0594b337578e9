#pragma once
// Name-change notifications on folders through inotify: creating, deleting and renaming
// entries, not writes. Never blocks: pending events are read until there are none.
#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_set>

namespace varnel {

class FolderWatch {
  public:
    static constexpr int kOverflow = -1;  // the event queue overflowed: anything may have changed

    FolderWatch();
    ~FolderWatch();
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    bool ready() const { return fd_ >= 0; }
    // A watch on the folder at `path` (a watch descriptor), or -1 with *error set to the
    // errno (ENOENT: no such folder, ENOSPC: the system's watch limit was reached).
    int add(const char* path, int* error = nullptr);
    void remove(int watch);
    // Calls onChange(watch) for every pending event of a watch, and onChange(kOverflow) when
    // events were lost. Returns at once when nothing is pending.
    void drain(const std::function<void(int watch)>& onChange);

    // For tests: with a value of 0 or more, add() fails with ENOSPC once that many watches
    // are in place, as the kernel does at the system's limit.
    int watchLimit = -1;

  private:
    int fd_ = -1;
    std::unordered_set<int> live_;
    std::unique_ptr<char[]> buffer_;
};

}  // namespace varnel
