#pragma once
// How the core talks to the person in front of the screen: messages, questions and the
// status-bar text. The GUI shows message boxes, the command-line tool prints to stderr and
// answers from its flags, tests answer from a script and record what was shown.
#include <string>
#include <string_view>

namespace varnel {

enum class Buttons { Ok, YesNo, YesNoCancel, OkCancel };
enum class Answer { Ok, Cancel, Yes, No };

class Prompt {
  public:
    virtual ~Prompt() = default;
    // A message with an OK button.
    virtual void tell(std::string_view text) = 0;
    // A question; returns the button pressed.
    virtual Answer ask(std::string_view text, Buttons buttons) = 0;
    // The status-bar message pane. May be called from worker threads.
    virtual void status(std::string_view text) = 0;
};

// Says nothing and answers every question with its first button (Yes or OK).
class SilentPrompt : public Prompt {
  public:
    void tell(std::string_view) override {}
    Answer ask(std::string_view, Buttons buttons) override {
        return buttons == Buttons::Ok || buttons == Buttons::OkCancel ? Answer::Ok : Answer::Yes;
    }
    void status(std::string_view) override {}
};

}  // namespace varnel
