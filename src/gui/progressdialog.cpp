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

GuiProgress::GuiProgress(QWidget* parent) : dialog_(new ProgressDialog(parent)) {
    QObject::connect(dialog_, &ProgressDialog::cancelPressed, dialog_, [this] { cancel(); });
}

GuiProgress::~GuiProgress() {
    delete dialog_;
}

void GuiProgress::setCaption(std::string_view caption) {
    const QString text = fromBytes(caption);
    QMetaObject::invokeMethod(dialog_, [d = dialog_, text] { d->setWindowTitle(text); });
}

void GuiProgress::setStatus(std::string_view status) {
    const QString text = fromBytes(status);
    QMetaObject::invokeMethod(dialog_, [d = dialog_, text] { d->statusLine()->setText(text); });
}

void GuiProgress::setBar(int position) {
    QMetaObject::invokeMethod(dialog_, [d = dialog_, position] { d->bar()->setValue(position); });
}

void GuiProgress::close() {
    closed_.store(true, std::memory_order_release);
    // Queued even from the user-interface thread: the dialog's own loop ends it.
    QMetaObject::invokeMethod(
        dialog_, [d = dialog_] { d->done(QDialog::Accepted); }, Qt::QueuedConnection);
}

void GuiProgress::runModal() {
    if (!closed_.load(std::memory_order_acquire)) {
        dialog_->bar()->setValue(0);
        dialog_->exec();
    }
    closed_.store(false, std::memory_order_release);
}

}  // namespace varnel
