// FTP in the window against the real test server: the login dialog on the first visit of a
// site, the listing fetched in the background and shown by the timer, a cancelled login, a
// site scanned through the dialogs after a refused password, a login typed into the address.
#include <QCheckBox>
#include <QDialog>
#include <filesystem>

#include "app/addresshistory.h"
#include "remote/mirrorpaths.h"
#include "windowfixture.h"

namespace varnel {
namespace {

using test::BoxAnswerer;

struct FtpWindow : test::WindowFixture {
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(useFtpServer());
        startWith(4);
    }
    // Counts the login dialogs and cancels each.
    void cancelLogins() {
        dialogs.onOpen = [this](QDialog& dialog) {
            ++logins;
            dialog.reject();
        };
    }
    int logins = 0;
};

TEST_F(FtpWindow, FirstVisitLogsInAndTheTimerShowsTheFetchedListing) {
    test::writeFile(site->local("a.txt"), "aaa");
    test::writeFile(site->local("b.mp3"), "bbbbb");
    std::vector<std::string> servers;
    dialogs.onOpen = [&](QDialog& shown) {
        servers.push_back(dynamic_cast<LoginDialog&>(shown).form().server);
        test::typeLogin(shown, *server, server->password);
        shown.accept();
    };
    typeAddress(siteUrl());
    ASSERT_EQ(servers, std::vector<std::string>{server->host});

    ASSERT_TRUE(listingArrives(siteUrl()));
    ASSERT_EQ(shownRecords(), 2);
    const int a = cell(0, kColName) == "a.txt" ? 0 : 1;
    EXPECT_EQ(cell(1 - a, kColName), "b.mp3");
    EXPECT_EQ(cell(a, kColSize), "3");
    // Paths in the URL spelling, and the site's mirror folder made under the program folder.
    EXPECT_EQ(cell(a, kColPath), siteUrl());
    std::string mirror;
    EXPECT_TRUE(MirrorPathOf(dir.path(), addressToName(siteUrl()), mirror));
    EXPECT_TRUE(std::filesystem::is_directory(mirror));

    // The login holds for the rest of the run: a second folder of the site asks nothing.
    std::filesystem::create_directory(site->local("sub"));
    typeAddress(siteUrl("sub/"));
    EXPECT_EQ(servers.size(), 1u);
}

TEST_F(FtpWindow, CancelledLoginRefusesTheAddressAndOfflineAsksNothing) {
    cancelLogins();
    EXPECT_EQ(test::boxTexts(QMessageBox::Ok, [&] { typeAddress(siteUrl()); }),
              test::Texts{"Login first, please retry"});
    EXPECT_EQ(logins, 1);
    EXPECT_EQ(status(), "file listed:4");  // the view stayed

    // Offline: the menu mark follows on the next tick, and no login is asked for.
    trigger(kCmdOffline);
    EXPECT_TRUE(frame->action(kCmdOffline)->isChecked());
    typeAddress(siteUrl());
    EXPECT_EQ(logins, 1);
}

// A site scanned through the dialogs. A wrong password is not retried: the login dialog
// comes back with the server's reply, and its Anonymous box logs in as a guest, who may read.
TEST_F(FtpWindow, ScanningASiteWithARefusedPasswordBringsTheLoginBackWithTheReply) {
    std::filesystem::create_directory(site->local("sub"));
    test::writeFile(site->local("sub/c.txt"), "cc");
    std::vector<std::string> refusals;
    dialogs.onOpen = [&](QDialog& shown) {
        auto& dialog = dynamic_cast<LoginDialog&>(shown);
        auto* refusal = dialog.findChild<QLabel*>(QStringLiteral("refusal"));
        refusals.push_back(refusal ? refusal->text().toStdString() : "");
        if (refusals.size() == 1)
            test::typeLogin(dialog, *server, "wrong");
        else
            dialog.anonymousBox()->click();
        dialog.accept();
    };
    BoxAnswerer answer(QMessageBox::Ok);
    scan(siteUrl());
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
    test::writeFile(site->local("d.txt"), "dd");
    cancelLogins();
    BoxAnswerer answer(QMessageBox::Ok);
    const std::string url = siteUrl();
    typeAddress("ftp://" + server->user + ":" + server->password + "@" + url.substr(6));
    ASSERT_TRUE(listingArrives(url));
    EXPECT_EQ(logins, 0);
    EXPECT_TRUE(answer.texts.empty());
    EXPECT_EQ(cell(0, kColName), "d.txt");
    EXPECT_EQ(address(), url);
    const std::string& history = session->workspace.settings().addressHistory;
    EXPECT_EQ(history.find(server->password), std::string::npos);
    EXPECT_EQ(historyEntries(history).front(), url);

    // The site counts as visited: its other folders ask nothing either.
    std::filesystem::create_directory(site->local("sub"));
    typeAddress(siteUrl("sub/"));
    EXPECT_EQ(logins, 0);
}

}  // namespace
}  // namespace varnel
