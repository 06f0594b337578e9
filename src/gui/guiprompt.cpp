#include "gui/guiprompt.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QThread>

#include "gui/dialogfolder.h"

namespace varnel {

QString fromBytes(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string toBytes(const QString& text) {
    return text.toUtf8().toStdString();
}

void onUiThread(const std::function<void()>& work) {
    if (QThread::currentThread() == qApp->thread()) {
        work();
        return;
    }
    QMetaObject::invokeMethod(qApp, work, Qt::BlockingQueuedConnection);
}

void GuiPrompt::tell(std::string_view text) {
    const QString message = fromBytes(text);
    onUiThread([&] {
        QMessageBox::information(QApplication::activeWindow(), QStringLiteral("Varnel"), message);
    });
}

Answer GuiPrompt::ask(std::string_view text, Buttons buttons) {
    const QString message = fromBytes(text);
    Answer answer = Answer::Cancel;
    onUiThread([&] {
        QMessageBox::StandardButtons set;
        switch (buttons) {
            case Buttons::Ok:
                set = QMessageBox::Ok;
                break;
            case Buttons::YesNo:
                set = QMessageBox::Yes | QMessageBox::No;
                break;
            case Buttons::YesNoCancel:
                set = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
                break;
            case Buttons::OkCancel:
                set = QMessageBox::Ok | QMessageBox::Cancel;
                break;
        }
        const auto pressed = QMessageBox::question(QApplication::activeWindow(),
                                                   QStringLiteral("Varnel"), message, set);
        switch (pressed) {
            case QMessageBox::Ok:
                answer = Answer::Ok;
                break;
            case QMessageBox::Yes:
                answer = Answer::Yes;
                break;
            case QMessageBox::No:
                answer = Answer::No;
                break;
            default:
                answer = Answer::Cancel;
                break;
        }
    });
    return answer;
}

void GuiPrompt::setStatusPane(QObject* window, std::function<void(const QString&)> show) {
    std::lock_guard lock(statusMutex_);
    statusWindow_ = window;
    showStatus_ = std::move(show);
}

void GuiPrompt::status(std::string_view text) {
    const QString message = fromBytes(text);
    std::lock_guard lock(statusMutex_);
    QObject* window = statusWindow_.data();
    if (!window || !showStatus_) return;
    // Status texts never wait: a worker goes on while the pane is updated.
    QMetaObject::invokeMethod(
        window, [show = showStatus_, message] { show(message); }, Qt::QueuedConnection);
}

std::optional<std::string> GuiPrompt::chooseFile(const FileDialogRequest& request) {
    std::optional<std::string> chosen;
    onUiThread([&] {
        // "Files db (*.fdb)|*.fdb" -> "Files db (*.fdb)"
        QString filter = fromBytes(request.filter).section(QLatin1Char('|'), 0, 0);
        const QString initial = request.initialPath.empty() ? CDialogFolder::start()
                                                            : fromBytes(request.initialPath);
        const QString title = fromBytes(request.title);
        const QString path = request.save
                                 ? QFileDialog::getSaveFileName(QApplication::activeWindow(),
                                                                title, initial, filter)
                                 : QFileDialog::getOpenFileName(QApplication::activeWindow(),
                                                                title, initial, filter);
        if (path.isEmpty()) return;
        CDialogFolder::remember(path);
        std::string bytes = toBytes(path);
        if (request.save && !request.defaultExtension.empty() && !path.contains(QLatin1Char('.')))
            bytes += "." + request.defaultExtension;
        chosen = bytes;
    });
    return chosen;
}

std::optional<std::string> GuiPrompt::editText(const TextDialogRequest& request) {
    std::optional<std::string> edited;
    onUiThread([&] {
        bool ok = false;
        const QString text =
            QInputDialog::getText(QApplication::activeWindow(), fromBytes(request.title), QString(),
                                  QLineEdit::Normal, fromBytes(request.text), &ok);
        if (ok) edited = toBytes(text);
    });
    return edited;
}

}  // namespace varnel
