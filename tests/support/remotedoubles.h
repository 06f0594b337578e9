#pragma once
// Test stand-ins for the screens the FTP code talks to: a progress dialog that records what
// the worker showed, a prompt that worker threads may call, and login dialogs answered by
// the test.
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/progress.h"
#include "platform/prompt.h"
#include "remote/loginform.h"

namespace varnel::test {

class RecordingProgress : public Progress {
  public:
    void setCaption(std::string_view caption) override {
        std::lock_guard lock(mutex_);
        captions_.emplace_back(caption);
    }
    void setStatus(std::string_view text) override {
        std::lock_guard lock(mutex_);
        statuses_.emplace_back(text);
    }
    void setBar(int position) override {
        std::lock_guard lock(mutex_);
        bars_.push_back(position);
    }
    void close() override {
        std::lock_guard lock(mutex_);
        ++closes_;
        closed_.notify_all();
    }
    // Runs `whileShown` (if set) on the waiting thread, then waits for the close.
    void runModal() override {
        if (whileShown) whileShown();
        std::unique_lock lock(mutex_);
        closed_.wait(lock, [&] { return closes_ > modalRuns_; });
        ++modalRuns_;
    }

    std::vector<std::string> captions() const { return locked(captions_); }
    std::vector<std::string> statuses() const { return locked(statuses_); }
    std::vector<int> bars() const { return locked(bars_); }
    int closes() const {
        std::lock_guard lock(mutex_);
        return closes_;
    }

    std::function<void()> whileShown;

  private:
    template <class T>
    T locked(const T& value) const {
        std::lock_guard lock(mutex_);
        return value;
    }

    mutable std::mutex mutex_;
    std::condition_variable closed_;
    std::vector<std::string> captions_;
    std::vector<std::string> statuses_;
    std::vector<int> bars_;
    int closes_ = 0;
    int modalRuns_ = 0;
};

// Like ScriptedPrompt, but any thread may call it while the test reads it.
class LockedPrompt : public Prompt {
  public:
    void tell(std::string_view text) override {
        std::lock_guard lock(mutex_);
        told_.emplace_back(text);
    }
    Answer ask(std::string_view text, Buttons) override {
        std::lock_guard lock(mutex_);
        asked_.emplace_back(text);
        if (answers.empty()) return Answer::Cancel;
        Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    void status(std::string_view text) override {
        std::lock_guard lock(mutex_);
        statuses_.emplace_back(text);
        changed_.notify_all();
    }
    // Waits until a status text equal to `text` was shown; false after `timeout`.
    bool waitForStatus(const std::string& text, std::chrono::milliseconds timeout) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, timeout, [&] {
            for (const std::string& s : statuses_)
                if (s == text) return true;
            return false;
        });
    }
    std::vector<std::string> told() const { return copy(told_); }
    std::vector<std::string> asked() const { return copy(asked_); }
    std::vector<std::string> statuses() const { return copy(statuses_); }

    // The text dialogs (rename): each entry answers one; nothing left cancels.
    std::optional<std::string> editText(const TextDialogRequest& request) override {
        std::lock_guard lock(mutex_);
        textRequests_.push_back(request.title + ": " + request.text);
        if (texts.empty()) return std::nullopt;
        auto answer = texts.front();
        texts.pop_front();
        return answer;
    }
    std::vector<std::string> textRequests() const { return copy(textRequests_); }

    std::deque<Answer> answers;  // set before any thread asks
    std::deque<std::optional<std::string>> texts;

  private:
    std::vector<std::string> copy(const std::vector<std::string>& v) const {
        std::lock_guard lock(mutex_);
        return v;
    }
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> told_, asked_, statuses_, textRequests_;
};

// Login dialogs answered by the test: `answer` fills in the form (the default accepts it as
// shown); every form is recorded as it was shown.
class ScriptedDialogs : public RemoteDialogs {
  public:
    bool login(LoginForm& form) override {
        shown.push_back(form);
        return answer ? answer(form) : true;
    }
    bool networkFolder(std::string& name) override {
        if (!folder) return false;
        name = *folder;
        return true;
    }

    // Accepts with the given user and password, ticking "Save password" when `save`.
    void answerWith(std::string user, std::string password, bool save = false) {
        answer = [=](LoginForm& form) {
            form.user = user;
            form.password = password;
            form.save = save;
            return true;
        };
    }

    std::function<bool(LoginForm&)> answer;
    std::optional<std::string> folder;
    std::vector<LoginForm> shown;
};

}  // namespace varnel::test
