#pragma once
// The window on a program directory holding a real catalog, and answers to its message boxes.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/commandtable.h"
#include "app/session.h"
#include "gui/foldertree.h"
#include "gui/guiprompt.h"
#include "gui/logindialog.h"
#include "gui/mainframe.h"
#include "gui/mainview.h"
#include "support/catalogbuilder.h"
#include "support/tempdir.h"

namespace varnel::test {

// Answers the next message box with `button` and keeps its text.
struct BoxAnswerer {
    explicit BoxAnswerer(QMessageBox::StandardButton button) {
        timer.setInterval(20);
        QObject::connect(&timer, &QTimer::timeout, [this, button] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            texts.push_back(box->text().toStdString());
            titles.push_back(box->windowTitle().toStdString());
            box->button(button)->click();
        });
        timer.start();
    }
    QTimer timer;
    std::vector<std::string> texts, titles;
};

// Answers the next popup menu: keeps its items ("text+" when enabled, "text-" when not) and
// chooses the item named `choice`, or closes the menu when there is none such.
struct PopupChooser {
    explicit PopupChooser(const QString& choice) {
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, [this, choice] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu) return;
            timer.stop();
            QAction* chosen = nullptr;
            for (QAction* a : menu->actions()) {
                if (a->isSeparator()) continue;
                items.push_back(a->text().toStdString() + (a->isEnabled() ? "+" : "-"));
                if (a->text() == choice && a->isEnabled()) chosen = a;
            }
            if (!chosen) {
                menu->close();
                return;
            }
            menu->setActiveAction(chosen);
            QTest::keyClick(menu, Qt::Key_Return);
        });
        timer.start();
    }
    QTimer timer;
    std::vector<std::string> items;
};

struct WindowFixture : ::testing::Test {
    test::TempDir dir;
    std::unique_ptr<GuiPrompt> prompt;
    GuiRemoteDialogs dialogs;
    std::unique_ptr<AppSession> session;
    std::unique_ptr<CMainFrame> frame;

    // A default catalog of `n` records: the first half in /music/, the rest in /photos/.
    void startWith(int n) {
        SilentPrompt silent;
        Catalog catalog(64);
        for (int i = 0; i < n; ++i) {
            const bool music = i < n / 2;
            char name[32];
            std::snprintf(name, sizeof name, music ? "song%04d.mp3" : "pic%04d.jpg", i);
            test::appendRecord(catalog, kMasterList,
                               test::Rec{music ? "/music/" : "/photos/", name, "", 0,
                                         static_cast<uint32_t>(i + 1)});
        }
        CatalogDatabase db(catalog, silent, dir.file("save.fdb"));
        ASSERT_EQ(db.writeCatalogFile(dir.file("save.fdb"), nullptr), 1);
        open("");
    }
    void open(const std::string& catalogPath) {
        prompt = std::make_unique<GuiPrompt>();
        session = std::make_unique<AppSession>(dir.path(), *prompt, dialogs);
        frame = std::make_unique<CMainFrame>(*session, *prompt);
        frame->setLoginDialogs(&dialogs);
        frame->resize(900, 600);
        frame->show();
        frame->start(catalogPath);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    }
    CFileList* list() { return frame->mainView()->fileList(); }
    std::string cell(int row, int column) {
        return list()->topLevelItem(row)->text(column).toStdString();
    }
    std::string status() { return frame->messagePane()->text().toStdString(); }
    void ticks(int n) {
        for (int i = 0; i < n; ++i) frame->mainView()->tick();
        frame->updateCommandStates();
    }
    // Ticks the timer until the status bar shows `text`, for at most ten seconds (a
    // background listing arrives on one of the ticks).
    bool tickUntilStatus(const std::string& text) {
        for (int i = 0; i < 500; ++i) {
            ticks(1);
            if (status() == text) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }
    void clickRow(int row, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        const QRect r = list()->visualItemRect(list()->topLevelItem(row));
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, mods, r.center());
        ticks(2);
    }
    // A click on a column's header section, left or right.
    void clickHeader(int column, Qt::MouseButton button = Qt::LeftButton) {
        QHeaderView* header = list()->header();
        const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
        if (button == Qt::RightButton) {
            // Offscreen, a synthesized right click does not raise the context menu event.
            QContextMenuEvent event(QContextMenuEvent::Mouse, at, header->viewport()->mapToGlobal(at));
            QApplication::sendEvent(header->viewport(), &event);
        } else {
            QTest::mouseClick(header->viewport(), button, Qt::NoModifier, at);
        }
        ticks(2);
    }
    // A right click on page row `row`, as the list sees it: the press, then the popup.
    void rightClickRow(int row) {
        const QPoint at = list()->visualItemRect(list()->topLevelItem(row)).center();
        QTest::mousePress(list()->viewport(), Qt::RightButton, Qt::NoModifier, at);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, list()->viewport()->mapToGlobal(at));
        QApplication::sendEvent(list()->viewport(), &event);
        QTest::mouseRelease(list()->viewport(), Qt::RightButton, Qt::NoModifier, at);
        ticks(2);
    }
    void typeAddress(const QString& text) {
        frame->addressBar()->setEditText(text);
        QTest::keyClick(frame->addressBar()->lineEdit(), Qt::Key_Return);
        QApplication::processEvents();
        ticks(2);
    }
};

}  // namespace varnel::test
