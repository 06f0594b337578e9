#pragma once
// The prompt seam as message boxes and file dialogs. Workers call it too: their calls are
// carried over to the user-interface thread, and the worker waits for the answer.
#include <QObject>
#include <functional>

#include "platform/prompt.h"

namespace varnel {

class GuiPrompt : public Prompt {
  public:
    void tell(std::string_view text) override;
    Answer ask(std::string_view text, Buttons buttons) override;
    void status(std::string_view text) override;
    std::optional<std::string> chooseFile(const FileDialogRequest& request) override;
    std::optional<std::string> editText(const TextDialogRequest& request) override;

    // Where status texts go (the status bar's message pane); set by the frame.
    std::function<void(const QString&)> showStatus;
};

// Runs `work` on the user-interface thread and waits for it.
void onUiThread(const std::function<void()>& work);

QString fromBytes(std::string_view text);
std::string toBytes(const QString& text);

}  // namespace varnel
