// The modal progress dialog with a real worker thread: texts cross threads, Cancel reaches
// the worker, and only the worker's close ends the dialog.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <thread>

#include "gui/guiprompt.h"
#include "gui/progressdialog.h"

namespace varnel {
namespace {

TEST(ProgressDialog, CancelReachesTheWorkerWhichClosesTheDialog) {
    GuiProgress progress(nullptr);
    progress.clearCancelled();
    std::atomic<int> rounds{0};
    std::thread worker([&] {
        progress.setCaption("Scanning...");
        progress.setStatus("/home/ann/Music/");
        progress.setBar(500);
        while (!progress.cancelled()) {
            ++rounds;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        progress.close();
    });
    QString caption, status;
    int bar = -1;
    bool stillOpenAfterCancel = false;
    QTimer clicker;
    QObject::connect(&clicker, &QTimer::timeout, [&] {
        ProgressDialog* d = progress.dialog();
        if (!d->isVisible() || d->statusLine()->text().isEmpty()) return;
        caption = d->windowTitle();
        status = d->statusLine()->text();
        bar = d->bar()->value();
        d->cancelButton()->click();
        stillOpenAfterCancel = d->isVisible();  // the worker, not the button, closes it
        clicker.stop();
    });
    clicker.start(5);
    progress.runModal();
    worker.join();
    EXPECT_TRUE(progress.cancelled());
    EXPECT_TRUE(stillOpenAfterCancel);
    EXPECT_EQ(caption.toStdString(), "Scanning...");
    EXPECT_EQ(status.toStdString(), "/home/ann/Music/");
    EXPECT_EQ(bar, 500);
    EXPECT_GT(rounds.load(), 0);
    EXPECT_FALSE(progress.dialog()->isVisible());
}

TEST(ProgressDialog, AJobDoneBeforeTheDialogShowsDoesNotHang) {
    GuiProgress progress(nullptr);
    std::thread worker([&] { progress.close(); });
    worker.join();
    progress.runModal();
    QApplication::processEvents();
    EXPECT_FALSE(progress.dialog()->isVisible());
}

TEST(GuiPromptTest, WorkerQuestionsAreAskedOnTheWindowThread) {
    GuiPrompt prompt;
    Answer answer = Answer::Ok;
    std::string seen;
    QTimer answerer;
    QObject::connect(&answerer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        seen = box->text().toStdString();
        box->button(QMessageBox::No)->click();
    });
    answerer.start(5);
    std::thread worker([&] { answer = prompt.ask("Overwrite a.txt?", Buttons::YesNoCancel); });
    while (seen.empty()) QApplication::processEvents(QEventLoop::AllEvents, 10);
    worker.join();
    EXPECT_EQ(seen, "Overwrite a.txt?");
    EXPECT_EQ(answer, Answer::No);
}

}  // namespace
}  // namespace varnel
