// varnel: the window. Started with a catalog file's path, it opens that file; without one,
// the default catalog of the program directory.
#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QTimer>
#include <cstdio>
#include <cstring>

#include "app/association.h"
#include "app/session.h"
#include "gui/guiprompt.h"
#include "gui/icons.h"
#include "gui/logindialog.h"
#include "gui/mainframe.h"
#include "gui/mainview.h"
#include "gui/screenshots.h"
#include "platform/programdir.h"

namespace {

std::string iconPng(int size) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    varnel::applicationIconImage(size).save(&buffer, "PNG");
    return bytes.toStdString();
}

// `force` rewrites every file (an explicit install); a plain start only mends what is off.
bool installAssociation(bool force) {
    std::string why;
    QFile svg(QStringLiteral(":/icons/varnel.svg"));
    const std::string svgText = svg.open(QIODevice::ReadOnly) ? svg.readAll().toStdString() : "";
    const bool ok = varnel::registerFileType(varnel::userDataHome(), varnel::executablePath(),
                                             iconPng, svgText, force, why);
    if (!ok && force) std::fprintf(stderr, "varnel: %s\n", why.c_str());
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    // Installing the association draws the icon only: no display needed.
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--install-association") == 0)
            qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The window's own settings (its size and place, the dialogs' folder) live under these.
    QApplication::setOrganizationName(QStringLiteral("Varnel"));
    QApplication::setApplicationName(QStringLiteral("Varnel"));
    QApplication::setWindowIcon(varnel::applicationIcon());
    varnel::chooseIconTheme();

    std::string catalogPath;
    QString screenshot, searchScreenshot, previewName;
    bool quitAfterFirstPage = false;  // for the start-up benchmark
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--quit-after-first-page") == 0) {
            quitAfterFirstPage = true;
            continue;
        }
        // For the documentation: the window as it first shows, saved as a picture.
        if (std::strcmp(argv[i], "--screenshot") == 0 && i + 1 < argc) {
            screenshot = QString::fromLocal8Bit(argv[++i]);
            continue;
        }
        // The search dialog over the preview of the first file the address NAME lists.
        if (std::strcmp(argv[i], "--screenshot-search") == 0 && i + 2 < argc) {
            previewName = QString::fromLocal8Bit(argv[++i]);
            searchScreenshot = QString::fromLocal8Bit(argv[++i]);
            continue;
        }
        if (std::strcmp(argv[i], "--install-association") == 0) {
            if (!installAssociation(true)) return 1;
            std::printf("varnel: .fdb files now open with %s\n", varnel::executablePath().c_str());
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0) {
            std::printf("usage: varnel [CATALOG.fdb]\n       varnel --install-association\n");
            return 0;
        }
        if (catalogPath.empty()) catalogPath = argv[i];
    }

    // Each start points the association at this program, wherever it now lives.
    if (screenshot.isEmpty() && searchScreenshot.isEmpty() && !quitAfterFirstPage)
        installAssociation(false);
    varnel::GuiPrompt prompt;
    varnel::GuiRemoteDialogs dialogs;
    varnel::AppSession session(varnel::programDirectory(), prompt, dialogs);
    varnel::CMainFrame frame(session, prompt);
    dialogs.setParent(&frame);
    frame.setLoginDialogs(&dialogs);
    frame.show();
    frame.start(catalogPath);
    if (quitAfterFirstPage) {
        // Once the first page has been painted.
        QTimer::singleShot(0, &frame, [] { QApplication::exit(0); });
    }
    if (!screenshot.isEmpty()) varnel::takeWindowScreenshot(frame, screenshot);
    if (!searchScreenshot.isEmpty())
        varnel::takeSearchScreenshot(frame, session.searches, prompt, previewName,
                                     searchScreenshot);
    return app.exec();
}
