// FTP in the window against the real test server: the login dialog on the first visit of a
// site, the listing fetched in the background and shown by the timer, a cancelled login, a
// site scanned through the dialogs after a refused password, a login typed into the address.
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <chrono>
#include <filesystem>
#include <thread>

#include "app/addresshistory.h"
#include "remote/mirrorpaths.h"
#include "support/ftptestserver.h"
#include "windowfixture.h"

namespace varnel {
namespace {

using test::BoxAnswerer;

struct FtpWindow : test::WindowFixture {
    void SetUp() override {
        server = test::FtpTestServer::get();
        ASSERT_NE(server, nullptr) << "run through ctest, whose fixture starts the FTP server";
        folder = std::make_unique<test::ServerFolder>(
            *server, ::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    // Search with the test's folder typed into the scan dialog.
    void scanTheSite() {
        frame->scanDialogs().onOpen = [&](ScanOptionsDialog& dialog) {
            dialog.foldersEdit()->setText(QString::fromStdString(folder->url(server->host)));
            QTimer::singleShot(0, &dialog, &QDialog::accept);
        };
        frame->action(kCmdSearchFile)->trigger();
        ticks(2);
    }
    const test::FtpTestServer* server = nullptr;
    std::unique_ptr<test::ServerFolder> folder;
};

TEST_F(FtpWindow, FirstVisitLogsInAndTheTimerShowsTheFetchedListing) {
    test::writeFile(folder->local("a.txt"), "aaa");
    test::writeFile(folder->local("b.mp3"), "bbbbb");
    startWith(4);
    std::vector<std::string> servers;
    dialogs.onOpen = [&](QDialog& shown) {
        auto& dialog = dynamic_cast<LoginDialog&>(shown);
        servers.push_back(dialog.form().server);
        dialog.userBox()->setEditText(QString::fromStdString(server->user));
        QTest::keyClicks(dialog.passwordEdit(), QString::fromStdString(server->password));
        dialog.accept();
    };
    const std::string url = folder->url(server->host);
    typeAddress(QString::fromStdString(url));
    ASSERT_EQ(servers, std::vector<std::string>{server->host});

    ASSERT_TRUE(tickUntilStatus("Directory information transfer complete:\"" + url + "\""));
    ASSERT_EQ(session->catalog.recordCount(session->catalog.currentList()), 2);
    const int a = cell(0, kColName) == "a.txt" ? 0 : 1;
    EXPECT_EQ(cell(1 - a, kColName), "b.mp3");
    EXPECT_EQ(cell(a, kColSize), "3");
    // Paths in the URL spelling, and the site's mirror folder made under the program folder.
    EXPECT_EQ(cell(a, kColPath), url);
    std::string mirror;
    EXPECT_TRUE(MirrorPathOf(dir.path(), addressToName(url), mirror));
    EXPECT_TRUE(std::filesystem::is_directory(mirror));

    // The login holds for the rest of the run: a second folder of the site asks nothing.
    std::filesystem::create_directory(folder->local("sub"));
    typeAddress(QString::fromStdString(folder->url(server->host, "sub/")));
    EXPECT_EQ(servers.size(), 1u);
}

TEST_F(FtpWindow, CancelledLoginRefusesTheAddressAndOfflineAsksNothing) {
    startWith(4);
    int logins = 0;
    dialogs.onOpen = [&](QDialog& dialog) {
        ++logins;
        dialog.reject();
    };
    {
        BoxAnswerer answer(QMessageBox::Ok);
        typeAddress(QString::fromStdString(folder->url(server->host)));
        EXPECT_EQ(answer.texts, std::vector<std::string>{"Login first, please retry"});
    }
    EXPECT_EQ(logins, 1);
    EXPECT_EQ(status(), "file listed:4");  // the view stayed

    // Offline: the menu mark follows on the next tick, and no login is asked for.
    frame->action(kCmdOffline)->trigger();
    ticks(1);
    EXPECT_TRUE(frame->action(kCmdOffline)->isChecked());
    typeAddress(QString::fromStdString(folder->url(server->host)));
    EXPECT_EQ(logins, 1);
}

// A site scanned through the dialogs. A wrong password is not retried: the login dialog
// comes back with the server's reply, and its Anonymous box logs in as a guest, who may read.
TEST_F(FtpWindow, ScanningASiteWithARefusedPasswordBringsTheLoginBackWithTheReply) {
    std::filesystem::create_directory(folder->local("sub"));
    test::writeFile(folder->local("sub/c.txt"), "cc");
    startWith(4);
    std::vector<std::string> refusals;
    dialogs.onOpen = [&](QDialog& shown) {
        auto& dialog = dynamic_cast<LoginDialog&>(shown);
        auto* refusal = dialog.findChild<QLabel*>(QStringLiteral("refusal"));
        refusals.push_back(refusal ? refusal->text().toStdString() : "");
        if (refusals.size() == 1) {
            dialog.userBox()->setEditText(QString::fromStdString(server->user));
            QTest::keyClicks(dialog.passwordEdit(), QStringLiteral("wrong"));
        } else {
            dialog.anonymousBox()->click();
        }
        dialog.accept();
    };
    BoxAnswerer answer(QMessageBox::Ok);
    scanTheSite();
    ASSERT_EQ(refusals.size(), 2u);
    EXPECT_EQ(refusals[0], "");
    EXPECT_NE(refusals[1].find("530"), std::string::npos) << refusals[1];
    EXPECT_TRUE(answer.texts.empty());  // no "Retry connect?" for a wrong password
    EXPECT_EQ(status(), "file listed:5");
    EXPECT_EQ(session->catalog.recordCount(kMasterList), 5);
}

// A login typed into the address goes to the session: no dialog, the listing comes, and the
// password is neither shown in the bar nor remembered in the history.
TEST_F(FtpWindow, ALoginTypedIntoTheAddressIsUsedAndNeverShownOrKept) {
    test::writeFile(folder->local("d.txt"), "dd");
    startWith(4);
    int dialogsShown = 0;
    dialogs.onOpen = [&](QDialog& dialog) {
        ++dialogsShown;
        dialog.reject();
    };
    BoxAnswerer answer(QMessageBox::Ok);
    const std::string url = folder->url(server->host);
    const std::string typed = "ftp://" + server->user + ":" + server->password + "@" + url.substr(6);
    typeAddress(QString::fromStdString(typed));
    ASSERT_TRUE(tickUntilStatus("Directory information transfer complete:\"" + url + "\""));
    EXPECT_EQ(dialogsShown, 0);
    EXPECT_TRUE(answer.texts.empty());
    EXPECT_EQ(cell(0, kColName), "d.txt");
    EXPECT_EQ(frame->addressBar()->currentText().toStdString(), url);
    const std::string& history = session->workspace.settings().addressHistory;
    EXPECT_EQ(history.find(server->password), std::string::npos);
    EXPECT_EQ(historyEntries(history).front(), url);

    // The site counts as visited: its other folders ask nothing either.
    std::filesystem::create_directory(folder->local("sub"));
    typeAddress(QString::fromStdString(folder->url(server->host, "sub/")));
    EXPECT_EQ(dialogsShown, 0);
}

}  // namespace
}  // namespace varnel
