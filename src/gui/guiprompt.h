#pragma once
// The prompt seam as message boxes and file dialogs. Workers call it too: their calls are
// carried over to the user-interface thread, and the worker waits for the answer.
#include <QObject>
#include <QPointer>
#include <functional>
#include <mutex>

#include "platform/prompt.h"

namespace varnel {

class GuiPrompt : public Prompt {
  public:
    void tell(std::string_view text) override;
    Answer ask(std::string_view text, Buttons buttons) override;
    void status(std::string_view text) override;
    std::optional<std::string> chooseFile(const FileDialogRequest& request) override;
    std::optional<std::string> editText(const TextDialogRequest& request) override;

    // Where status texts go (the status bar's message pane), and the window that shows them:
    // a text still on its way when that window is gone is dropped with it.
    void setStatusPane(QObject* window, std::function<void(const QString&)> show);

  private:
    std::mutex statusMutex_;  // workers send status texts while the frame may be going
    QPointer<QObject> statusWindow_;
    std::function<void(const QString&)> showStatus_;
};

// Runs `work` on the user-interface thread and waits for it.
void onUiThread(const std::function<void()>& work);

QString fromBytes(std::string_view text);
std::string toBytes(const QString& text);

}  // namespace varnel
