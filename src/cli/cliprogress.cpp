#include "cli/cliprogress.h"

#include <unistd.h>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>

namespace varnel {

namespace {

// The dialog Ctrl+C cancels; set only while one runs.
std::atomic<Progress*> gInterruptTarget{nullptr};

extern "C" void onInterrupt(int) {
    if (Progress* target = gInterruptTarget.load()) target->cancel();
}

constexpr int kBarWidth = 30;

}  // namespace

CliProgress::CliProgress() : terminal_(::isatty(STDERR_FILENO) == 1) {}

void CliProgress::setCaption(std::string_view caption) {
    std::lock_guard lock(mutex_);
    caption_ = caption;
    dirty_ = true;
    changed_.notify_one();
}

void CliProgress::setStatus(std::string_view text) {
    std::lock_guard lock(mutex_);
    status_ = text;
    dirty_ = true;
    changed_.notify_one();
}

void CliProgress::setBar(int position) {
    std::lock_guard lock(mutex_);
    bar_ = position < 0 ? 0 : position > kProgressBarMax ? kProgressBarMax : position;
    dirty_ = true;
    changed_.notify_one();
}

void CliProgress::close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    changed_.notify_one();
}

void CliProgress::draw() {
    const int filled = bar_ * kBarWidth / kProgressBarMax;
    std::string line = caption_ + " [" + std::string(size_t(filled), '#') +
                       std::string(size_t(kBarWidth - filled), '.') + "] " +
                       std::to_string(bar_ / 10) + "% " + status_;
    if (line == lastLine_) return;
    lastLine_ = line;
    if (terminal_)
        std::fprintf(stderr, "\r\033[K%s", line.c_str());
    else
        std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
}

void CliProgress::runModal() {
    struct sigaction action {
    }, previous{};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    gInterruptTarget.store(this);
    ::sigaction(SIGINT, &action, &previous);
    std::unique_lock lock(mutex_);
    while (!closed_) {
        // At most five redraws a second, however often the worker reports.
        changed_.wait_for(lock, std::chrono::milliseconds(200), [&] { return closed_; });
        if (dirty_) draw();
        dirty_ = false;
    }
    draw();
    if (terminal_ && !lastLine_.empty()) std::fputc('\n', stderr);
    // The next job (the scan after its FTP login) waits for its own close and draws its
    // own line from an empty bar.
    closed_ = false;
    dirty_ = false;
    bar_ = 0;
    caption_.clear();
    status_.clear();
    lastLine_.clear();
    lock.unlock();
    ::sigaction(SIGINT, &previous, nullptr);
    gInterruptTarget.store(nullptr);
}

}  // namespace varnel
