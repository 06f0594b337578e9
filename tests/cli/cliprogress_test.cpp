// The terminal's progress dialog over two jobs back to back, as `scan ftp://...` runs them:
// an FTP login that is done before its dialog opens, then the scan.
#include "cli/cliprogress.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

namespace varnel {
namespace {

// What Ctrl+C would run: the SIGINT handler in place now, called directly so that a missing
// one cannot end the test. False when the default (or no) handler is in place.
bool pressCtrlC() {
    struct sigaction now {};
    ::sigaction(SIGINT, nullptr, &now);
    if (now.sa_handler == SIG_DFL || now.sa_handler == SIG_IGN) return false;
    now.sa_handler(SIGINT);
    return true;
}

TEST(CliProgress, TheJobAfterAQuickLoginWaitsForItsCloseAndCtrlCCancelsIt) {
    testing::internal::CaptureStderr();  // not a terminal: one line a drawing
    CliProgress progress;

    std::thread login([&] {
        progress.setCaption("Login FTP...");
        progress.setStatus("ftp://127.0.0.1/");
        progress.setBar(kProgressBarMax);
        progress.close();
    });
    login.join();
    progress.runModal();

    progress.clearCancelled();
    std::atomic<bool> modalReturned{false}, closed{false}, interrupted{false};
    std::thread scan([&] {
        progress.setCaption("Scanning");
        // Works until Ctrl+C, which only reaches it while runModal() waits.
        while (!modalReturned && !interrupted) {
            interrupted = pressCtrlC();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        while (!progress.cancelled() && !modalReturned)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        closed = true;
        progress.close();
    });
    progress.runModal();
    const bool closedBeforeReturn = closed;
    modalReturned = true;
    scan.join();
    const std::string shown = testing::internal::GetCapturedStderr();

    EXPECT_TRUE(closedBeforeReturn);
    EXPECT_TRUE(interrupted);
    EXPECT_TRUE(progress.cancelled());
    // The scan's line starts from an empty bar, without the login's status.
    EXPECT_EQ(shown, "Login FTP... [" + std::string(30, '#') + "] 100% ftp://127.0.0.1/\n" +
                         "Scanning [" + std::string(30, '.') + "] 0% \n");
}

}  // namespace
}  // namespace varnel
