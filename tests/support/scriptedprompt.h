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

    std::deque<Answer> answers;
    std::vector<std::string> told;
    std::vector<std::string> asked;
    std::vector<Buttons> askedButtons;
    std::vector<std::string> statuses;
};

}  // namespace varnel::test
