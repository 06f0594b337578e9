#pragma once
// The window on a program directory holding a real catalog, and answers to its message boxes.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <memory>
#include <string>
#include <vector>

#include "app/commandtable.h"
#include "app/session.h"
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
            box->button(button)->click();
        });
        timer.start();
    }
    QTimer timer;
    std::vector<std::string> texts;
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
    void clickRow(int row, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        const QRect r = list()->visualItemRect(list()->topLevelItem(row));
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, mods, r.center());
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
