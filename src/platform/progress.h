#pragma once
// The progress dialog as the core sees it. A worker thread writes the caption, the status
// line and the bar, and closes it when done; meanwhile the thread that started the worker
// sits in runModal(). The GUI shows a modal dialog, varnel-cli draws a bar on stderr, tests
// record what was shown. The cancelled flag is the only thing the worker reads back.
#include <atomic>
#include <string_view>

namespace varnel {

inline constexpr int kProgressBarMax = 1000;

class Progress {
  public:
    virtual ~Progress() = default;

    // Called from the worker thread; implementations hand the values to their screen.
    virtual void setCaption(std::string_view caption) = 0;
    virtual void setStatus(std::string_view text) = 0;
    virtual void setBar(int position) = 0;  // 0..kProgressBarMax
    // Ends runModal(). Called once per job, from the worker thread; it may come before the
    // dialog has opened (a worker with nothing to wait for).
    virtual void close() = 0;
    // Shows the dialog and returns once this job's close() was called. Every call is a job
    // of its own: what a job's worker sent, its close included, never reaches a later job.
    virtual void runModal() = 0;

    // The Cancel button. Safe from any thread, including a signal handler.
    void cancel() { cancelled_.store(true, std::memory_order_release); }
    bool cancelled() const { return cancelled_.load(std::memory_order_acquire); }
    void clearCancelled() { cancelled_.store(false, std::memory_order_release); }
    // For code that checks the flag between network waits.
    const std::atomic<bool>* cancelFlag() const { return &cancelled_; }

  private:
    std::atomic<bool> cancelled_{false};
    static_assert(std::atomic<bool>::is_always_lock_free);
};

}  // namespace varnel
