#pragma once
// The window on a program directory holding a real catalog, and answers to its dialogs.
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
#include <functional>
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
#include "support/ftptestserver.h"
#include "support/tempdir.h"

namespace varnel::test {

// Runs `act` on every modal `Dialog` that is up while this lives. `act` must close it or
// leave it for another answerer; it never runs inside itself.
template <class Dialog>
struct ModalAnswerer {
    explicit ModalAnswerer(std::function<void(Dialog&)> act) {
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, [this, act] {
            auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            ++seen;
            timer.stop();
            act(*dialog);
            timer.start();
        });
        timer.start();
    }
    QTimer timer;
    int seen = 0;
};

// Answers every message box with `button` and keeps its text and title.
struct BoxAnswerer : ModalAnswerer<QMessageBox> {
    explicit BoxAnswerer(QMessageBox::StandardButton button)
        : ModalAnswerer([this, button](QMessageBox& box) {
              texts.push_back(box.text().toStdString());
              titles.push_back(box.windowTitle().toStdString());
              box.button(button)->click();
          }) {}
    std::vector<std::string> texts, titles;
};

// The texts of the message boxes `act` brings up, each answered with `button`.
inline std::vector<std::string> boxTexts(QMessageBox::StandardButton button,
                                         const std::function<void()>& act) {
    BoxAnswerer answer(button);
    act();
    return answer.texts;
}
using Texts = std::vector<std::string>;

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

// Writes a catalog file holding `records` in its master list.
inline void writeCatalog(const std::string& path, const std::vector<Rec>& records) {
    SilentPrompt silent;
    Catalog catalog(64);
    appendRecords(catalog, kMasterList, records);
    CatalogDatabase db(catalog, silent, path);
    ASSERT_EQ(db.writeCatalogFile(path, nullptr), 1);
}

// The child widget named `name` (a test failure when there is none).
template <class Widget = QWidget>
Widget* child(QWidget& parent, const char* name) {
    auto* widget = parent.findChild<Widget*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

// Types the test server's user and `password` into the login dialog.
inline void typeLogin(QDialog& shown, const FtpTestServer& server, const std::string& password) {
    auto& dialog = dynamic_cast<LoginDialog&>(shown);
    dialog.userBox()->setEditText(QString::fromStdString(server.user));
    QTest::keyClicks(dialog.passwordEdit(), QString::fromStdString(password));
}

struct WindowFixture : ::testing::Test {
    test::TempDir dir;
    std::unique_ptr<GuiPrompt> prompt;
    GuiRemoteDialogs dialogs;
    std::unique_ptr<AppSession> session;
    std::unique_ptr<CMainFrame> frame;
    const FtpTestServer* server = nullptr;  // with useFtpServer()
    std::unique_ptr<ServerFolder> site;

    // A default catalog of `n` records: the first half in /music/, the rest in /photos/.
    void startWith(int n) {
        std::vector<Rec> records;
        for (int i = 0; i < n; ++i) {
            const bool music = i < n / 2;
            char name[32];
            std::snprintf(name, sizeof name, music ? "song%04d.mp3" : "pic%04d.jpg", i);
            records.push_back(
                {music ? "/music/" : "/photos/", name, "", 0, static_cast<uint32_t>(i + 1)});
        }
        startWith(records);
    }
    void startWith(const std::vector<Rec>& records) {
        ASSERT_NO_FATAL_FAILURE(writeCatalog(dir.file("save.fdb"), records));
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
    // The test's own folder on the FTP server that ctest's fixture starts.
    void useFtpServer() {
        server = FtpTestServer::get();
        ASSERT_NE(server, nullptr) << "run through ctest, whose fixture starts the FTP server";
        site = std::make_unique<ServerFolder>(
            *server, ::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    std::string siteUrl(std::string_view relative = "") {
        return site->url(server->host, relative);
    }

    CFileList* list() { return frame->mainView()->fileList(); }
    std::string cell(int row, int column) {
        return list()->topLevelItem(row)->text(column).toStdString();
    }
    int rowOf(const std::string& name) {
        for (int row = 0; row < list()->topLevelItemCount(); ++row)
            if (cell(row, kColName) == name) return row;
        return -1;
    }
    std::string status() { return frame->messagePane()->text().toStdString(); }
    std::string address() { return frame->addressBar()->currentText().toStdString(); }
    int shownRecords() { return session->catalog.recordCount(session->catalog.currentList()); }
    void ticks(int n) {
        for (int i = 0; i < n; ++i) frame->mainView()->tick();
        frame->updateCommandStates();
    }
    void trigger(int command) {
        frame->action(command)->trigger();
        ticks(1);
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
    bool listingArrives(const std::string& url) {
        return tickUntilStatus("Directory information transfer complete:\"" + url + "\"");
    }
    QPoint rowCenter(int row) { return list()->visualItemRect(list()->topLevelItem(row)).center(); }
    void clickRow(int row, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, mods, rowCenter(row));
        ticks(2);
    }
    void doubleClickRow(int row) {
        QTest::mouseDClick(list()->viewport(), Qt::LeftButton, Qt::NoModifier, rowCenter(row));
        ticks(2);
    }
    // A click on a column's header section, left or right.
    void clickHeader(int column, Qt::MouseButton button = Qt::LeftButton) {
        QHeaderView* header = list()->header();
        const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
        if (button == Qt::RightButton) {
            // Offscreen, a synthesized right click does not raise the context menu event.
            QContextMenuEvent event(QContextMenuEvent::Mouse, at,
                                    header->viewport()->mapToGlobal(at));
            QApplication::sendEvent(header->viewport(), &event);
        } else {
            QTest::mouseClick(header->viewport(), button, Qt::NoModifier, at);
        }
        ticks(2);
    }
    // A right click on page row `row`, as the list sees it: the press, then the popup.
    void rightClickRow(int row) {
        const QPoint at = rowCenter(row);
        QTest::mousePress(list()->viewport(), Qt::RightButton, Qt::NoModifier, at);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, list()->viewport()->mapToGlobal(at));
        QApplication::sendEvent(list()->viewport(), &event);
        QTest::mouseRelease(list()->viewport(), Qt::RightButton, Qt::NoModifier, at);
        ticks(2);
    }
    void typeAddress(const std::string& text) {
        frame->addressBar()->setEditText(QString::fromStdString(text));
        QTest::keyClick(frame->addressBar()->lineEdit(), Qt::Key_Return);
        QApplication::processEvents();
        ticks(2);
    }
    // Tools > Search File with `folders` typed into the scan dialog.
    void scan(const std::string& folders) {
        frame->scanDialogs().onOpen = [folders](ScanOptionsDialog& dialog) {
            dialog.foldersEdit()->setText(QString::fromStdString(folders));
            QTimer::singleShot(0, &dialog, &QDialog::accept);
        };
        frame->action(kCmdSearchFile)->trigger();
        ticks(2);
    }
};

}  // namespace varnel::test
