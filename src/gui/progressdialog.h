#pragma once
// The modal progress dialog: a bar, one status line and Cancel. The worker writes it from
// its thread; every change is carried to the user-interface thread.
#include <QDialog>
#include <atomic>

#include "platform/progress.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace varnel {

class ProgressDialog : public QDialog {
    Q_OBJECT
  public:
    explicit ProgressDialog(QWidget* parent = nullptr);
    QLabel* statusLine() const { return status_; }
    QProgressBar* bar() const { return bar_; }
    QPushButton* cancelButton() const { return cancel_; }

  protected:
    // Only the worker ends the dialog: Escape and the close box press Cancel instead.
    void reject() override;

  signals:
    void cancelPressed();

  private:
    QLabel* status_;
    QProgressBar* bar_;
    QPushButton* cancel_;
};

class GuiProgress : public Progress {
  public:
    explicit GuiProgress(QWidget* parent);
    ~GuiProgress() override;
    void setCaption(std::string_view caption) override;
    void setStatus(std::string_view text) override;
    void setBar(int position) override;
    void close() override;
    void runModal() override;

    ProgressDialog* dialog() const { return dialog_; }

  private:
    ProgressDialog* dialog_;
    std::atomic<bool> closed_{false};
};

}  // namespace varnel
