// The modal progress dialog with a real worker thread: texts cross threads, Cancel reaches
// the worker, only the worker's close ends the dialog, each job has the dialog to itself, and
// a worker's question is asked on the window thread and its answer carried back.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <string>
#include <thread>
#include <vector>

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

// A job whose worker is done before the dialog could open, as a login on a connection
// that is already open is. Its texts and its close are still on their way to the dialog.
void runJobDoneAtOnce(GuiProgress& progress) {
    progress.clearCancelled();
    std::thread worker([&] {
        progress.setCaption("Login FTP...");
        progress.setStatus("ftp://127.0.0.1/");
        progress.setBar(kProgressBarMax);
        progress.close();
    });
    worker.join();
    progress.runModal();
}

struct AskingJob {
    bool closedBeforeModalReturned = false;
    std::vector<std::string> questions;
    Answer answer = Answer::Cancel;  // what the worker got back
    std::string statusAtCancel;
    int barAtCancel = -1;
};

// A job whose worker asks a question (carried to this thread by the prompt, answered No
// here), then works on until Cancel, as a copy that finds its target file does.
AskingJob runAskingJob(GuiProgress& progress, GuiPrompt& prompt, const std::string& file) {
    AskingJob job;
    progress.clearCancelled();
    std::atomic<bool> answered{false}, closing{false};
    std::thread worker([&] {
        progress.setCaption("Copying file...");
        progress.setStatus(file);
        job.answer = prompt.ask("Destination  File :\"" + file + "\" already exists, continue?",
                                Buttons::YesNo);
        answered = true;
        while (!progress.cancelled()) std::this_thread::sleep_for(std::chrono::milliseconds(2));
        closing = true;
        progress.close();
    });
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            job.questions.push_back(box->text().toStdString());
            box->button(QMessageBox::No)->click();
            return;
        }
        ProgressDialog* d = progress.dialog();
        if (!answered || !d->isVisible() || progress.cancelled()) return;
        job.statusAtCancel = d->statusLine()->text().toStdString();
        job.barAtCancel = d->bar()->value();
        d->cancelButton()->click();
    });
    user.start(5);
    progress.runModal();
    job.closedBeforeModalReturned = closing;
    // A dialog that ended early leaves the worker to the timer and to this loop.
    progress.cancel();
    while (!closing) QApplication::processEvents(QEventLoop::AllEvents, 10);
    worker.join();
    return job;
}

TEST(ProgressDialog, JobsBackToBackEachRunUnderTheirOwnDialog) {
    GuiPrompt prompt;
    for (int jobs : {2, 3}) {
        SCOPED_TRACE(jobs);
        GuiProgress progress(nullptr);
        runJobDoneAtOnce(progress);
        EXPECT_FALSE(progress.dialog()->isVisible());
        for (int k = 2; k <= jobs; ++k) {
            const std::string file = "/home/ann/copy" + std::to_string(k) + ".txt";
            const AskingJob job = runAskingJob(progress, prompt, file);
            EXPECT_TRUE(job.closedBeforeModalReturned) << "job " << k;
            EXPECT_EQ(job.questions, std::vector<std::string>{"Destination  File :\"" + file +
                                                              "\" already exists, continue?"});
            EXPECT_EQ(job.answer, Answer::No);
            // Nothing of the job before shows: neither its status line nor its full bar.
            EXPECT_EQ(job.statusAtCancel, file);
            EXPECT_EQ(job.barAtCancel, 0);
        }
        EXPECT_FALSE(progress.dialog()->isVisible());
    }
}

// Many short jobs back to back, each closed by its worker while its dialog runs: the close
// of one must never let the next job's runModal() return before that job's worker is done.
TEST(ProgressDialog, AWorkersCloseEndsItsOwnJobOnly) {
    GuiProgress progress(nullptr);
    for (int k = 0; k < 1000; ++k) {
        std::atomic<bool> running{false}, closed{false};
        QTimer started;  // fires once the dialog's loop runs
        started.setSingleShot(true);
        QObject::connect(&started, &QTimer::timeout, [&] { running = true; });
        started.start(0);
        std::thread worker([&] {
            while (!running) std::this_thread::yield();
            closed = true;
            progress.close();
        });
        progress.runModal();
        const bool ranUntilClosed = closed;
        running = true;  // a job ended early still lets its worker go
        worker.join();
        ASSERT_TRUE(ranUntilClosed) << "job " << k;
    }
}

}  // namespace
}  // namespace varnel
