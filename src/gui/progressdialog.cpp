#include "gui/progressdialog.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/guiprompt.h"

namespace varnel {

ProgressDialog::ProgressDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Dialog"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    bar_ = new QProgressBar(this);
    bar_->setRange(0, kProgressBarMax);
    bar_->setTextVisible(false);
    status_ = new QLabel(this);
    status_->setMinimumWidth(360);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    layout->addWidget(bar_);
    layout->addWidget(status_);
    layout->addWidget(cancel_, 0, Qt::AlignRight);
    connect(cancel_, &QPushButton::clicked, this, &ProgressDialog::cancelPressed);
}

void ProgressDialog::reject() {
    emit cancelPressed();
}

void ProgressDialog::clear() {
    setWindowTitle(QStringLiteral("Dialog"));
    status_->clear();
    bar_->setValue(0);
}

GuiProgress::GuiProgress(QWidget* parent) : dialog_(new ProgressDialog(parent)) {
    QObject::connect(dialog_, &ProgressDialog::cancelPressed, dialog_, [this] { cancel(); });
}

GuiProgress::~GuiProgress() {
    delete dialog_;  // and with it whatever was still queued for it
}

void GuiProgress::forThisJob(std::function<void(ProgressDialog&)> change,
                             Qt::ConnectionType connection) {
    const uint64_t job = job_.load(std::memory_order_acquire);
    QMetaObject::invokeMethod(
        dialog_,
        [this, job, change = std::move(change)] {
            if (job_.load(std::memory_order_relaxed) == job) change(*dialog_);
        },
        connection);
}

void GuiProgress::setCaption(std::string_view caption) {
    const QString text = fromBytes(caption);
    forThisJob([text](ProgressDialog& d) { d.setWindowTitle(text); }, Qt::AutoConnection);
}

void GuiProgress::setStatus(std::string_view status) {
    const QString text = fromBytes(status);
    forThisJob([text](ProgressDialog& d) { d.statusLine()->setText(text); }, Qt::AutoConnection);
}

void GuiProgress::setBar(int position) {
    forThisJob([position](ProgressDialog& d) { d.bar()->setValue(position); }, Qt::AutoConnection);
}

void GuiProgress::close() {
    // The job cannot end before this close says so, so it is still the one in progress.
    // Queued even from the user-interface thread: the dialog's own loop ends it.
    closedJob_.store(job_.load(std::memory_order_acquire), std::memory_order_release);
    forThisJob([](ProgressDialog& d) { d.done(QDialog::Accepted); }, Qt::QueuedConnection);
}

void GuiProgress::runModal() {
    if (closedJob_.load(std::memory_order_acquire) != job_.load(std::memory_order_acquire))
        dialog_->exec();
    job_.fetch_add(1, std::memory_order_acq_rel);
    dialog_->clear();
}

}  // namespace varnel
