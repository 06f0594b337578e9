#include "gui/desktopfilemenu.h"

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QClipboard>
#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QDesktopServices>
#include <QMessageBox>

#include "gui/guiprompt.h"

namespace varnel {

namespace {

const QString kFileManager = QStringLiteral("org.freedesktop.FileManager1");
const QString kFileManagerPath = QStringLiteral("/org/freedesktop/FileManager1");

bool callSessionBus(const QDBusMessage& message) {
    const QDBusMessage reply = QDBusConnection::sessionBus().call(message, QDBus::Block, 5000);
    return reply.type() == QDBusMessage::ReplyMessage;
}

}  // namespace

CDesktopFileMenu::CDesktopFileMenu(std::vector<std::string> files, QWidget* parent)
    : QMenu(parent),
      openUrl(&QDesktopServices::openUrl),
      callBus(&callSessionBus),
      files_(std::move(files)) {
    addAction(QStringLiteral("Open"), this, &CDesktopFileMenu::open);
    addAction(QStringLiteral("Open With..."), this, &CDesktopFileMenu::openWith);
    addAction(QStringLiteral("Open Containing Folder"), this,
              &CDesktopFileMenu::openContainingFolder);
    addAction(QStringLiteral("Copy Path"), this, &CDesktopFileMenu::copyPath);
    addAction(QStringLiteral("Properties"), this, &CDesktopFileMenu::properties);
}

QStringList CDesktopFileMenu::fileUris() const {
    QStringList uris;
    for (const std::string& file : files_)
        uris.append(QUrl::fromLocalFile(fromBytes(file)).toString(QUrl::FullyEncoded));
    return uris;
}

void CDesktopFileMenu::tellNoAnswer(const QString& what) {
    QMessageBox::information(parentWidget(), QStringLiteral("Varnel"),
                             what + QStringLiteral(": no file manager answered on the desktop."));
}

void CDesktopFileMenu::open() {
    for (const std::string& file : files_)
        if (::access(file.c_str(), F_OK) == 0 && !openUrl(QUrl::fromLocalFile(fromBytes(file))))
            QMessageBox::information(parentWidget(), QStringLiteral("Varnel"),
                                     QStringLiteral("No application opens ") + fromBytes(file));
}

void CDesktopFileMenu::openWith() {
    // The portal's chooser takes one open file, handed over as a descriptor.
    const int fd = ::open(files_.front().c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;  // it vanished meanwhile
    QDBusMessage message = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.portal.Desktop"),
        QStringLiteral("/org/freedesktop/portal/desktop"),
        QStringLiteral("org.freedesktop.portal.OpenURI"), QStringLiteral("OpenFile"));
    QVariantMap options;
    options.insert(QStringLiteral("ask"), true);
    message << QString() << QVariant::fromValue(QDBusUnixFileDescriptor(fd)) << options;
    ::close(fd);  // the message holds its own copy
    if (!callBus(message)) tellNoAnswer(QStringLiteral("Open With"));
}

void CDesktopFileMenu::openContainingFolder() {
    QDBusMessage message = QDBusMessage::createMethodCall(
        kFileManager, kFileManagerPath, kFileManager, QStringLiteral("ShowItems"));
    message << fileUris() << QString();
    if (callBus(message)) return;
    const std::string& first = files_.front();
    openUrl(QUrl::fromLocalFile(fromBytes(first.substr(0, first.rfind('/') + 1))));
}

void CDesktopFileMenu::copyPath() {
    QStringList paths;
    for (const std::string& file : files_) paths.append(fromBytes(file));
    QApplication::clipboard()->setText(paths.join(QLatin1Char('\n')));
}

void CDesktopFileMenu::properties() {
    QDBusMessage message = QDBusMessage::createMethodCall(
        kFileManager, kFileManagerPath, kFileManager, QStringLiteral("ShowItemProperties"));
    message << fileUris() << QString();
    if (!callBus(message)) tellNoAnswer(QStringLiteral("Properties"));
}

}  // namespace varnel
