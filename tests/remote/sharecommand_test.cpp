// The Share command and the account dialog's rules, on real files, with the share made by
// Samba's net for the private smbd of the test fixture.
#include <gtest/gtest.h>

#include <filesystem>

#include "catalog/tables.h"
#include "fileops/fileopscontext.h"
#include "remote/foldersharing.h"
#include "remote/shareaccount.h"
#include "remote/sharecommand.h"
#include "remote/shareservice.h"
#include "scan/scanservices.h"
#include "support/catalogbuilder.h"
#include "support/ftpsessionrig.h"
#include "support/smbtestserver.h"
#include "support/tempdir.h"

namespace varnel {
namespace {

using test::readFile;
using test::Rec;
using test::writeFile;

struct ShareCommand : test::SmbServerTest, test::FtpSessionRig {
    void SetUp() override {
        SmbServerTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        services.ftp = &session;
        service = std::make_unique<NetUserShares>(server->netConfig());
        sharing = std::make_unique<FolderSharing>(*service, prompt, catalog, settings, shareFolder);
        for (const char* name : {"one.txt", "two words.txt", "three.bin"}) {
            writeFile(mine.file(name), std::string(5000, name[1]));
            test::appendRecord(catalog, kSelectionList, Rec{mine.path() + "/", name, "", 0, 5000});
        }
    }
    test::TempDir mine;
    Catalog catalog;
    ScanServices services{catalog, prompt, ""};
    test::RecordingProgress progress;
    std::unique_ptr<NetUserShares> service;
    std::unique_ptr<FolderSharing> sharing;
};

TEST_F(ShareCommand, EverySelectedFileIsCopiedAndShared) {
    FileOpsContext context{services, progress, shareFolder, nullptr, nullptr};
    std::filesystem::remove(shareFolder);  // made again when it is missing
    prompt.answers = {Answer::Yes};
    ASSERT_TRUE(ShareSelection(context, *sharing)) << ::testing::PrintToString(prompt.told());
    EXPECT_EQ(prompt.asked(), std::vector<std::string>{"Copy these 3 files to share folder:\"" +
                                                       shareFolder + "\"?"});
    EXPECT_EQ(catalog.recordCount(kClipboardList), 3);
    for (const char* name : {"one.txt", "two words.txt", "three.bin"}) {
        EXPECT_EQ(readFile(shareFolder + name), readFile(mine.file(name))) << name;
        EXPECT_NE(server->client(kShareName, "ls").out.find(name), std::string::npos) << name;
    }
    EXPECT_EQ(catalog.recordCount(kShareList), 3);

    // Sharing the shared files again copies nothing onto itself: no question, same bytes.
    catalog.setRecordCount(kSelectionList, 0);
    test::appendRecord(catalog, kSelectionList, Rec{shareFolder, "one.txt", "", 0, 5000});
    ASSERT_TRUE(ShareSelection(context, *sharing));
    EXPECT_EQ(prompt.asked().size(), 1u);
    EXPECT_EQ(readFile(shareFolder + "one.txt"), std::string(5000, 'n'));
    EXPECT_TRUE(prompt.told().empty());
}

TEST_F(ShareCommand, AnsweringNoCopiesNothingAndLeavesNoShare) {
    FileOpsContext context{services, progress, shareFolder, nullptr, nullptr};
    prompt.answers = {Answer::No};
    EXPECT_TRUE(ShareSelection(context, *sharing));  // the share matches the (empty) folder
    EXPECT_TRUE(std::filesystem::is_empty(shareFolder));
    std::optional<UserShareEntry> share;
    ASSERT_TRUE(service->ShareInfo(kShareName, share));
    EXPECT_FALSE(share);
}

TEST_F(ShareCommand, TheAccountDialogRefusesAConfirmationThatDiffersInCaseAndStoresWhatItTakes) {
    EXPECT_EQ(accountFormFor(settings).user, "Guest");
    AccountForm form{"visitor", "Secret", "secret"};
    EXPECT_EQ(acceptAccount(form, settings, *sharing), kPasswordInputError);
    EXPECT_EQ(settings.shareAccountName, "Guest");
    EXPECT_EQ(settings.shareAccountPassword, "");

    form.password = std::string(kAccountPasswordMax + 1, 'p');
    form.confirm = form.password;
    EXPECT_EQ(acceptAccount(form, settings, *sharing), "The password is longer than 63 bytes.");
    form.password = form.confirm = "Secret";
    form.user = std::string(kAccountUserMax + 1, 'u');
    EXPECT_EQ(acceptAccount(form, settings, *sharing), "The user name is longer than 127 bytes.");

    // Accepted: stored, and the share follows the folder's files.
    form.user = "visitor";
    writeFile(shareFolder + "a.txt", "a");
    EXPECT_EQ(acceptAccount(form, settings, *sharing), "");
    EXPECT_EQ(settings.shareAccountName, "visitor");
    EXPECT_EQ(settings.shareAccountPassword, "Secret");
    EXPECT_EQ(accountFormFor(settings).password, "Secret");
    EXPECT_EQ(accountFormFor(settings).confirm, "");
    EXPECT_EQ(server->client(kShareName, "ls").exitCode, 0);
}

}  // namespace
}  // namespace varnel
