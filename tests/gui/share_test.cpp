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
        server = test::SmbTestServer::get();
        ASSERT_NE(server, nullptr) << "run the tests through ctest (it starts the smbd fixture)";
        if (!server->skipped.empty()) GTEST_SKIP() << server->skipped;
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
        if (server && server->skipped.empty())
            test::runProcess({server->net, "-s", server->conf, "usershare", "delete", kShareName});
    }
    // Clicks the account dialog's OK once it is shown, after `fill` has typed into it.
    void onAccountDialog(const std::function<void(CAccountDialog&)>& fill) {
        QTimer::singleShot(20, [this, fill] {
            auto* dialog = qobject_cast<CAccountDialog*>(QApplication::activeModalWidget());
            if (!dialog) return onAccountDialog(fill);
            fill(*dialog);
            dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        });
    }
    int rowOf(const std::string& name) {
        for (int row = 0; row < list()->topLevelItemCount(); ++row)
            if (cell(row, kColName) == name) return row;
        return -1;
    }
    const test::SmbTestServer* server = nullptr;
    test::TempDir source;
};

TEST_F(ShareWindow, SharedFilesReachAGuestAndStopShareTakesTheShareAway) {
    const std::string shareFolder = dir.path() + "/share/";
    typeAddress(QString::fromStdString(source.path() + "/"));
    clickRow(rowOf("a.txt"));
    clickRow(rowOf("c.txt"), Qt::ControlModifier);
    {
        BoxAnswerer yes(QMessageBox::Yes);
        frame->shareCommands()->share();
        ASSERT_EQ(yes.texts.size(), 1u) << "no question, or a failure was shown";
        EXPECT_EQ(yes.texts[0], "Copy these 2 files to share folder:\"" + shareFolder + "\"?");
    }
    // The selected rows, and only they, went into the share (their bytes and what a guest
    // reads: remote/sharecommand_test.cpp).
    ASSERT_EQ(server->client(kShareName, "ls").exitCode, 0);
    EXPECT_TRUE(test::fileExists(shareFolder + "a.txt"));
    EXPECT_TRUE(test::fileExists(shareFolder + "c.txt"));
    EXPECT_FALSE(test::fileExists(shareFolder + "b.txt"));

    // "share" shows the share folder's files.
    frame->runCommand(kCmdShare);
    ticks(2);
    EXPECT_EQ(frame->addressBar()->currentText().toStdString(), shareFolder);

    frame->shareCommands()->stopShare();
    EXPECT_NE(server->client(kShareName, "ls").exitCode, 0);
    EXPECT_TRUE(test::fileExists(shareFolder + "a.txt"));
}

TEST_F(ShareWindow, TheAccountDialogRefusesAConfirmationThatDiffersOnlyInCase) {
    BoxAnswerer ok(QMessageBox::Ok);
    onAccountDialog([this, &ok](CAccountDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle().toStdString(), "Set user account ");
        EXPECT_EQ(dialog.userEdit()->text().toStdString(), "Guest");
        EXPECT_EQ(dialog.confirmEdit()->text().toStdString(), "");
        dialog.passwordEdit()->setText(QStringLiteral("Secret"));
        dialog.confirmEdit()->setText(QStringLiteral("secret"));
        // Once refused, the dialog is still open: the confirmation is typed again.
        onAccountDialog([&ok](CAccountDialog& again) {
            EXPECT_EQ(ok.texts, std::vector<std::string>{"password input error!"});
            again.confirmEdit()->setText(QStringLiteral("Secret"));
        });
    });
    frame->runCommand(kCmdShareUser);
    EXPECT_EQ(ok.texts, std::vector<std::string>{"password input error!"});
    EXPECT_EQ(session->workspace.settings().shareAccountName, "Guest");
    EXPECT_EQ(session->workspace.settings().shareAccountPassword, "Secret");
}

}  // namespace
}  // namespace varnel
