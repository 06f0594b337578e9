// Sharing from the window: the selected rows go into the share folder, "share" shows the
// folder, Stop share takes the share away, and the account dialog stays open on a mistyped
// confirmation. The rules of sharing are proven in remote/.
#include <sys/stat.h>

#include <QDialogButtonBox>
#include <filesystem>

#include "gui/accountdialog.h"
#include "gui/sharecommands.h"
#include "remote/foldersharing.h"
#include "scan/folderrefresh.h"
#include "support/smbtestserver.h"
#include "windowfixture.h"

namespace varnel {
namespace {

using test::BoxAnswerer;
using test::writeFile;

struct ShareWindow : test::WindowFixture {
    void SetUp() override {
        smbd = test::SmbTestServer::get();
        ASSERT_NE(smbd, nullptr) << "run the tests through ctest (it starts the smbd fixture)";
        if (!smbd->skipped.empty()) GTEST_SKIP() << smbd->skipped;
        // The guest reaches the share folder as nobody.
        ::chmod(dir.path().c_str(), 0755);
        for (const char* name : {"a.txt", "b.txt", "c.txt"})
            writeFile(source.file(name), std::string(3000, name[0]));
        ::chmod(source.path().c_str(), 0755);
        startWith(2);
        ASSERT_EQ(
            refreshFolders(session->services, (source.path() + "/").c_str(), kSingleFolder, 0), 1);
    }
    void TearDown() override {
        if (smbd && smbd->skipped.empty())
            test::runProcess({smbd->net, "-s", smbd->conf, "usershare", "delete", kShareName});
    }
    const test::SmbTestServer* smbd = nullptr;
    test::TempDir source;
};

TEST_F(ShareWindow, SharedFilesReachAGuestAndStopShareTakesTheShareAway) {
    const std::string shareFolder = dir.path() + "/share/";
    typeAddress(source.path() + "/");
    clickRow(rowOf("a.txt"));
    clickRow(rowOf("c.txt"), Qt::ControlModifier);
    // One question, no failure shown.
    ASSERT_EQ(test::boxTexts(QMessageBox::Yes, [&] { frame->shareCommands()->share(); }),
              test::Texts{"Copy these 2 files to share folder:\"" + shareFolder + "\"?"});
    // The selected rows, and only they, went into the share (their bytes and what a guest
    // reads: remote/sharecommand_test.cpp).
    ASSERT_EQ(smbd->client(kShareName, "ls").exitCode, 0);
    EXPECT_TRUE(test::fileExists(shareFolder + "a.txt"));
    EXPECT_TRUE(test::fileExists(shareFolder + "c.txt"));
    EXPECT_FALSE(test::fileExists(shareFolder + "b.txt"));

    // "share" shows the share folder's files.
    frame->runCommand(kCmdShare);
    ticks(2);
    EXPECT_EQ(address(), shareFolder);

    frame->shareCommands()->stopShare();
    EXPECT_NE(smbd->client(kShareName, "ls").exitCode, 0);
    EXPECT_TRUE(test::fileExists(shareFolder + "a.txt"));
}

TEST_F(ShareWindow, TheAccountDialogRefusesAConfirmationThatDiffersOnlyInCase) {
    BoxAnswerer ok(QMessageBox::Ok);
    test::ModalAnswerer<CAccountDialog> user([&](CAccountDialog& dialog) {
        if (user.seen == 1) {
            EXPECT_EQ(dialog.windowTitle().toStdString(), "Set user account ");
            EXPECT_EQ(dialog.userEdit()->text().toStdString(), "Guest");
            EXPECT_EQ(dialog.confirmEdit()->text().toStdString(), "");
            dialog.passwordEdit()->setText(QStringLiteral("Secret"));
            dialog.confirmEdit()->setText(QStringLiteral("secret"));
        } else {
            // Once refused, the dialog is still open: the confirmation is typed again.
            EXPECT_EQ(ok.texts, test::Texts{"password input error!"});
            dialog.confirmEdit()->setText(QStringLiteral("Secret"));
        }
        dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    frame->runCommand(kCmdShareUser);
    EXPECT_EQ(user.seen, 2);
    EXPECT_EQ(ok.texts, test::Texts{"password input error!"});
    EXPECT_EQ(session->workspace.settings().shareAccountName, "Guest");
    EXPECT_EQ(session->workspace.settings().shareAccountPassword, "Secret");
}

}  // namespace
}  // namespace varnel
