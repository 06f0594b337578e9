#pragma once
// The terminal's progress dialog: a bar on stderr, redrawn in place on a terminal and
// written as plain lines when stderr is a file or a pipe. Ctrl+C presses Cancel.
#include <condition_variable>
#include <mutex>
#include <string>

#include "platform/progress.h"

namespace varnel {

class CliProgress : public Progress {
  public:
    CliProgress();
    void setCaption(std::string_view caption) override;
    void setStatus(std::string_view text) override;
    void setBar(int position) override;
    void close() override;
    // Draws until close(); SIGINT cancels meanwhile. Each call is one job: it returns at
    // once only when that job's worker has already closed.
    void runModal() override;

  private:
    void draw();  // with mutex_ held

    std::mutex mutex_;
    std::condition_variable changed_;
    std::string caption_;
    std::string status_;
    std::string lastLine_;
    int bar_ = 0;
    bool closed_ = false;
    bool dirty_ = false;
    const bool terminal_;
};

}  // namespace varnel
