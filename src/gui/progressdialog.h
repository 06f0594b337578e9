#pragma once
// The modal progress dialog: a bar, one status line and Cancel. The worker writes it from
// its thread; every change is carried to the user-interface thread.
#include <QDialog>
#include <atomic>
#include <cstdint>
#include <functional>

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
    // Caption, status line and bar as they are before a job writes them.
    void clear();

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
    // Carries `change` to the dialog, stamped with the job in progress: it is dropped when
    // it arrives after that job's runModal() has returned.
    void forThisJob(std::function<void(ProgressDialog&)> change, Qt::ConnectionType connection);

    ProgressDialog* dialog_;
    // The job in progress, counted up as each runModal() returns. A worker's last texts and
    // its close may still be queued then (it closed before the dialog opened); they belong
    // to that job and must not reach the next one.
    std::atomic<uint64_t> job_{0};
    // The last job whose worker closed. A job number rather than a flag: the close's queued
    // call may end the dialog before the worker has said it closed, and that late word
    // must not tell the next job's runModal() that it is over before it began.
    std::atomic<uint64_t> closedJob_{UINT64_MAX};
};

}  // namespace varnel
