#pragma once
// The main view's 200 ms heartbeat. Everything other threads and windows want shown is left
// in shared state; each tick picks it up, in a fixed order. While a worker owns the catalog
// (FilePage::catalogHeld) every step that would read it waits for a later tick.
#include <functional>
#include <string>

namespace varnel {

class FilePage;

inline constexpr int kTimerIntervalMs = 200;
// Ticks without a new character before the type-ahead text is dropped (about 3.2 s).
inline constexpr int kFindNameQuietTicks = 15;
// The slow refresh runs on every fifth tick.
inline constexpr int kSlowRefreshTicks = 5;

struct TimerHooks {
    std::function<void()> pollDriveChanges;
    // Puts the menu check marks in step with the pane and offline flags; true when the
    // folder pane's mark changed, so the view must be laid out again.
    std::function<bool()> syncMenuChecks;
    std::function<void()> layout;
    // Finished FTP listing downloads and the download queue's status texts.
    std::function<void()> remoteProgress;
    std::function<void(const std::string&)> status;
    std::function<int()> viewMode;
    // Readies the search for what the catalog gained or became since the last one (a load
    // or a save folds every text again), so that the next typed key does not wait for it.
    std::function<void()> prepareSearch;
};

class ViewTimer {
  public:
    ViewTimer(FilePage& page, TimerHooks hooks) : page_(page), hooks_(std::move(hooks)) {}

    void tick();

    // Refreshes on the next slow ticks (one a second), for changes that settle slowly.
    int slowRefreshCountdown = -1;

  private:
    FilePage& page_;
    TimerHooks hooks_;
    size_t lastFindLength_ = 0;
    int quietTicks_ = 0;
    int tickCounter_ = 0;
    std::string shownFindName_;
};

}  // namespace varnel
