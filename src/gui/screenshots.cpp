#include "gui/screenshots.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidgetItem>
#include <cstdio>

#include "gui/addressbar.h"
#include "gui/columnheader.h"
#include "gui/foldertree.h"
#include "gui/mainframe.h"
#include "gui/mainview.h"
#include "gui/searchdialog.h"
#include "view/columnsort.h"

namespace varnel {

namespace {

void saveAndQuit(const QPixmap& picture, const QString& file) {
    const bool saved = picture.save(file);
    std::fprintf(stderr, saved ? "varnel: saved %s\n" : "varnel: cannot save %s\n",
                 file.toLocal8Bit().constData());
    QApplication::exit(saved ? 0 : 1);
}

}  // namespace

void takeWindowScreenshot(CMainFrame& frame, const QString& file) {
    QTimer::singleShot(600, &frame, [&frame] {
        CFolderTree& tree = *frame.mainView()->folderPane();
        if (QTreeWidgetItem* home = tree.topLevelItem(0)) {
            tree.expandItem(home);
            for (int k = 0; k < home->childCount(); ++k)
                if (home->child(k)->text(0) == QStringLiteral("Music"))
                    tree.expandItem(home->child(k));
        }
        frame.mainView()->columnHeader()->sort().headerClick(kColSize);
    });
    QTimer::singleShot(1200, &frame, [&frame, file] { saveAndQuit(frame.grab(), file); });
}

void takeSearchScreenshot(CMainFrame& frame, SavedSearchList& searches, Prompt& prompt,
                          const QString& preview, const QString& file) {
    static int32_t columns = 1;
    auto* dialog = new CSearchDialog(searches, columns, prompt, true, &frame);
    QTimer::singleShot(600, &frame, [&frame, dialog, preview] {
        frame.addressBar()->setEditText(preview);
        frame.onAddressEnter();
        CMainView& view = *frame.mainView();
        view.page().SelectRow(0, false, false);
        view.setViewMode(2);
        view.page().RefreshPage(true);

        dialog->findChild<QListWidget*>(QStringLiteral("savedSearches"))->setCurrentRow(2);
        dialog->findChild<QRadioButton*>(QStringLiteral("monthRadio"))->click();
        dialog->findChild<QLineEdit*>(QStringLiteral("monthCount"))->setText(QStringLiteral("2"));
        dialog->move(frame.mapToGlobal(QPoint(frame.width() - dialog->width() - 24,
                                              frame.height() - dialog->height() - 40)));
        dialog->show();
    });
    QTimer::singleShot(1800, &frame, [&frame, dialog, file] {
        QPixmap picture = frame.grab();
        QPainter painter(&picture);
        painter.drawPixmap(frame.mapFromGlobal(dialog->pos()), dialog->grab());
        painter.end();
        saveAndQuit(picture, file);
    });
}

}  // namespace varnel
