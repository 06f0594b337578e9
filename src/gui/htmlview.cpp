#include "gui/htmlview.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>

#include "gui/texthtmlview.h"
#include "gui/webhtmlview.h"

namespace varnel {

namespace {

bool sandboxDisabled() {
    if (qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX")) return true;
    if (qEnvironmentVariable("QTWEBENGINE_CHROMIUM_FLAGS").contains(QStringLiteral("--no-sandbox")))
        return true;
    return QCoreApplication::arguments().contains(QStringLiteral("--no-sandbox"));
}

QString helperProgram() {
    const QString given = qEnvironmentVariable("QTWEBENGINEPROCESS_PATH");
    if (!given.isEmpty()) return given;
    return QLibraryInfo::path(QLibraryInfo::LibraryExecutablesPath) +
           QStringLiteral("/QtWebEngineProcess");
}

}  // namespace

bool webEngineCanStart() {
    static const bool can = [] {
        if (::geteuid() == 0 && !sandboxDisabled()) return false;
        const QFileInfo helper(helperProgram());
        return helper.isFile() && helper.isExecutable();
    }();
    return can;
}

std::unique_ptr<HtmlView> makeHtmlView(const HtmlViewOptions& options, QWidget* parent) {
    return webEngineCanStart() ? makeWebHtmlView(options, parent)
                               : makeTextHtmlView(options, parent);
}

}  // namespace varnel
