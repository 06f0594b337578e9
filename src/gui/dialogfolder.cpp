#include "gui/dialogfolder.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace varnel {

namespace {
const QString kKey = QStringLiteral("dialogs/lastFolder");
}  // namespace

QString CDialogFolder::start() {
    const QString last = QSettings().value(kKey).toString();
    // A folder removed since is no place to start.
    return !last.isEmpty() && QFileInfo(last).isDir() ? last : QDir::homePath();
}

void CDialogFolder::remember(const QString& chosen) {
    if (chosen.isEmpty()) return;
    const QFileInfo info(chosen);
    QSettings().setValue(kKey, info.isDir() ? info.absoluteFilePath() : info.absolutePath());
}

}  // namespace varnel
