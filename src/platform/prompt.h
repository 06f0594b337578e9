#pragma once
// How the core talks to the person in front of the screen: messages, questions and the
// status-bar text. The GUI shows message boxes, the command-line tool prints to stderr and
// answers from its flags, tests answer from a script and record what was shown.
#include <optional>
#include <string>
#include <string_view>

namespace varnel {

enum class Buttons { Ok, YesNo, YesNoCancel, OkCancel };
enum class Answer { Ok, Cancel, Yes, No };

// The standard open and save dialogs.
struct FileDialogRequest {
    std::string title;  // the command's name: "Import catalog"
    bool save = false;
    std::string filter;            // e.g. "Files db (*.fdb)|*.fdb"
    std::string defaultExtension;  // without the dot
    std::string initialPath;
};

// A one-line text dialog (an edit box with OK and Cancel).
struct TextDialogRequest {
    std::string title;
    std::string text;  // pre-filled
};

class Prompt {
  public:
    virtual ~Prompt() = default;
    // A message with an OK button.
    virtual void tell(std::string_view text) = 0;
    // A question; returns the button pressed.
    virtual Answer ask(std::string_view text, Buttons buttons) = 0;
    // The status-bar message pane. May be called from worker threads.
    virtual void status(std::string_view text) = 0;
    // A file chosen in the open or save dialog; nothing when cancelled.
    virtual std::optional<std::string> chooseFile(const FileDialogRequest&) { return std::nullopt; }
    // The text confirmed in a one-line dialog; nothing when cancelled.
    virtual std::optional<std::string> editText(const TextDialogRequest&) { return std::nullopt; }
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
