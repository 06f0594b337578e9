#pragma once
// Answers questions from a script and records every text shown, so tests can assert on the
// exact words a user would see.
#include <deque>
#include <string>
#include <vector>

#include "platform/prompt.h"

namespace varnel::test {

class ScriptedPrompt : public Prompt {
  public:
    void tell(std::string_view text) override { told.emplace_back(text); }
    Answer ask(std::string_view text, Buttons buttons) override {
        asked.emplace_back(text);
        askedButtons.push_back(buttons);
        if (answers.empty()) return Answer::Cancel;
        Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    void status(std::string_view text) override { statuses.emplace_back(text); }
    std::optional<std::string> chooseFile(const FileDialogRequest& request) override {
        fileRequests.push_back(request);
        return popAnswer(files);
    }
    std::optional<std::string> editText(const TextDialogRequest& request) override {
        textRequests.push_back(request);
        return popAnswer(texts);
    }

    std::deque<Answer> answers;
    // Each entry answers one dialog; nothing (or an empty script) cancels it.
    std::deque<std::optional<std::string>> files;
    std::deque<std::optional<std::string>> texts;
    std::vector<FileDialogRequest> fileRequests;
    std::vector<TextDialogRequest> textRequests;
    std::vector<std::string> told;
    std::vector<std::string> asked;
    std::vector<Buttons> askedButtons;
    std::vector<std::string> statuses;

  private:
    static std::optional<std::string> popAnswer(std::deque<std::optional<std::string>>& script) {
        if (script.empty()) return std::nullopt;
        auto answer = script.front();
        script.pop_front();
        return answer;
    }
};

}  // namespace varnel::test
