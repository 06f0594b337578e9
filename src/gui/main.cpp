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
#include "gui/columnheader.h"
#include "gui/foldertree.h"
#include "gui/guiprompt.h"
#include "gui/icons.h"
#include "gui/logindialog.h"
#include "gui/mainframe.h"
#include "gui/mainview.h"
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
    QString screenshot;
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
    if (screenshot.isEmpty() && !quitAfterFirstPage) installAssociation(false);
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
    if (!screenshot.isEmpty()) {
        // The picture shows the folder pane opened at the home folder and the list sorted by
        // a header click on Size, largest first.
        QTimer::singleShot(600, &frame, [&frame] {
            varnel::CFolderTree& tree = *frame.mainView()->folderPane();
            if (QTreeWidgetItem* home = tree.topLevelItem(0)) {
                tree.expandItem(home);
                for (int k = 0; k < home->childCount(); ++k)
                    if (home->child(k)->text(0) == QStringLiteral("Music"))
                        tree.expandItem(home->child(k));
            }
            frame.mainView()->columnHeader()->sort().headerClick(varnel::kColSize);
        });
        QTimer::singleShot(1200, &frame, [&frame, screenshot] {
            const bool saved = frame.grab().save(screenshot);
            std::fprintf(stderr, saved ? "varnel: saved %s\n" : "varnel: cannot save %s\n",
                         screenshot.toLocal8Bit().constData());
            QApplication::exit(saved ? 0 : 1);
        });
    }
    return app.exec();
}
