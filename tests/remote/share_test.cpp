// Folder sharing: what `net usershare info` prints, and the share folder shared for real by
// Samba's `net` and read back through a private smbd with smbclient, as another computer would.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>

#include "catalog/tables.h"
#include "catalog/workspace.h"
#include "remote/foldersharing.h"
#include "remote/shareservice.h"
#include "remote/usershareinfo.h"
#include "support/catalogbuilder.h"
#include "support/process.h"
#include "support/scriptedprompt.h"
#include "support/smbtestserver.h"
#include "support/tempdir.h"

namespace varnel {
namespace {

using test::readFile;
using test::writeFile;

TEST(UserShareInfo, ReadsEveryShareAndRefusesWhatIsNotAListing) {
    std::vector<UserShareEntry> shares;
    std::string error;
    ASSERT_TRUE(
        parseUserShareInfo("[SHAREFOLDER]\npath=/srv/a b\ncomment=\nusershare_acl=S-1-1-0:R,\n"
                           "guest_ok=y\n\n[music]\r\npath=/m\r\nusershare_acl=Everyone:F,\r\n"
                           "guest_ok=n\r\nlater_key=1\r\n",
                           shares, error))
        << error;
    ASSERT_EQ(shares.size(), 2u);
    EXPECT_EQ(shares[0].name, "SHAREFOLDER");
    EXPECT_EQ(shares[0].path, "/srv/a b");
    EXPECT_TRUE(shares[0].guestOk);
    EXPECT_TRUE(aclIsReadOnly(shares[0].acl));
    EXPECT_EQ(shares[1].path, "/m");
    EXPECT_FALSE(shares[1].guestOk);
    EXPECT_FALSE(aclIsReadOnly(shares[1].acl));
    // No shares at all is a listing too.
    ASSERT_TRUE(parseUserShareInfo("", shares, error));
    EXPECT_TRUE(shares.empty());

    using namespace std::string_literals;
    for (const std::string& bad :
         {"path=/x\n"s, "[open\npath=/x\n"s, "[]\n"s, "[a]\ncomment=no path\n"s,
          "[a]\npath=/x\n[b]\nguest_ok=y\n"s, "[a]\npath=/x\npath=/y\n"s, "[a]\njunk\n"s,
          "[a]\npath=/x\0y\n"s, "[a]\npath=\n"s}) {
        EXPECT_FALSE(parseUserShareInfo(bad, shares, error)) << bad;
        EXPECT_NE(error.find("net usershare info"), std::string::npos) << error;
    }
    for (const char* acl : {"", ",", "S-1-1-0:F,", "S-1-1-0:R,S-1-5-32-544:F,", "nocolon,"})
        EXPECT_FALSE(aclIsReadOnly(acl)) << acl;
    EXPECT_TRUE(aclIsReadOnly("S-1-1-0:R,DOMAIN\\bob:D,"));
}

// Samba's net and a private smbd, with smbclient as the other computer.
struct RealShares : test::SmbServerTest {
    void SetUp() override {
        SmbServerTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        service = std::make_unique<NetUserShares>(server->netConfig());
        sharing = std::make_unique<FolderSharing>(*service, prompt, catalog, settings, shareFolder);
        sharing->shareListChanged = [this] { ++listChanges; };
    }
    std::optional<UserShareEntry> standing() {
        std::optional<UserShareEntry> share;
        EXPECT_TRUE(service->ShareInfo(kShareName, share)) << service->lastError();
        return share;
    }
    // The server's configuration with `line` added: a Samba set up otherwise.
    NetConfig configWith(const std::string& line) {
        const std::string conf = programDir + "/other.conf";
        writeFile(conf, readFile(server->conf) + line + "\n");
        return {server->net, conf};
    }
    std::unique_ptr<NetUserShares> service;
    std::unique_ptr<FolderSharing> sharing;
    test::ScriptedPrompt prompt;
    Catalog catalog;
    Settings settings;
    int listChanges = 0;
};

TEST_F(RealShares, AGuestListsAndReadsTheSharedFileButCannotWrite) {
    std::string bytes;
    for (int i = 0; i < 70000; ++i) bytes.push_back(static_cast<char>(i * 7 + (i >> 8)));
    writeFile(shareFolder + "data file.bin", bytes);
    writeFile(shareFolder + kShareIntroPage, "<html>");
    ASSERT_TRUE(sharing->RefreshShare()) << (prompt.told.empty() ? "" : prompt.told[0]);
    ASSERT_TRUE(standing());
    EXPECT_EQ(standing()->path + "/", shareFolder);
    // The share list holds every file the share offers, the introduction page too.
    std::vector<test::Rec> listed = test::readList(catalog, kShareList);
    std::sort(listed.begin(), listed.end(), [](auto& a, auto& b) { return a.name < b.name; });
    EXPECT_EQ(listed,
              (std::vector<test::Rec>{{shareFolder, kShareIntroPage, "", kShareNeverEnds, 6},
                                      {shareFolder, "data file.bin", "", kShareNeverEnds, 70000}}));
    EXPECT_EQ(listChanges, 1);

    const test::ProcessResult ls = server->client(kShareName, "ls");
    ASSERT_EQ(ls.exitCode, 0) << ls.out << ls.err;
    EXPECT_NE(ls.out.find("data file.bin"), std::string::npos) << ls.out;

    test::TempDir away;
    const test::ProcessResult get =
        server->client(kShareName, "get \"data file.bin\" \"" + away.file("copy") + "\"");
    ASSERT_EQ(get.exitCode, 0) << get.out << get.err;
    EXPECT_EQ(readFile(away.file("copy")), bytes);

    writeFile(away.file("intruder.txt"), "x");
    const test::ProcessResult put =
        server->client(kShareName, "put \"" + away.file("intruder.txt") + "\" intruder.txt");
    EXPECT_NE(put.out.find("NT_STATUS_ACCESS_DENIED") + put.err.find("NT_STATUS_ACCESS_DENIED"),
              2 * std::string::npos)
        << put.out << put.err;
    EXPECT_FALSE(test::fileExists(shareFolder + "intruder.txt"));
    EXPECT_TRUE(prompt.told.empty());
}

TEST_F(RealShares, TheIntroductionPageAloneAndStopShareTakeTheShareAway) {
    writeFile(shareFolder + "a.txt", "a");
    ASSERT_TRUE(sharing->RefreshShare());
    ASSERT_TRUE(standing());
    {
        // A share that already stands as wanted is not made again: this Samba would refuse.
        NetUserShares noGuests(configWith("usershare allow guests = no"));
        FolderSharing again(noGuests, prompt, catalog, settings, shareFolder);
        EXPECT_TRUE(again.RefreshShare()) << (prompt.told.empty() ? "" : prompt.told[0]);
    }

    // Stop share: gone for the guests, the file still here, the share list empty.
    ASSERT_TRUE(sharing->StopShare()) << (prompt.told.empty() ? "" : prompt.told[0]);
    EXPECT_FALSE(standing());
    EXPECT_NE(server->client(kShareName, "ls").exitCode, 0);
    EXPECT_EQ(readFile(shareFolder + "a.txt"), "a");
    EXPECT_EQ(catalog.recordCount(kShareList), 0);

    // Shared again, then only the introduction page and a sub-folder remain.
    ASSERT_TRUE(sharing->RefreshShare());
    ASSERT_TRUE(standing());
    std::filesystem::remove(shareFolder + "a.txt");
    writeFile(shareFolder + "varnelIntro.htm", "<html>");
    std::filesystem::create_directories(shareFolder + "sub");
    writeFile(shareFolder + "sub/b.txt", "b");
    ASSERT_TRUE(sharing->RefreshShare());
    EXPECT_FALSE(standing());
    EXPECT_TRUE(prompt.told.empty());
}

TEST_F(RealShares, WithoutNetOrUserSharesTheReasonIsToldAndNothingElseHappens) {
    writeFile(shareFolder + "a.txt", "a");
    test::TempDir dir;
    {
        NetUserShares missing({dir.path() + "/no-such-net", server->conf});
        FolderSharing lost(missing, prompt, catalog, settings, shareFolder);
        EXPECT_FALSE(lost.RefreshShare());
        ASSERT_EQ(prompt.told.size(), 1u);
        EXPECT_EQ(prompt.told[0].rfind("The share folder cannot be shared: Samba's net program "
                                       "could not be run (",
                                       0),
                  0u)
            << prompt.told[0];
        EXPECT_NE(prompt.told[0].find("install samba"), std::string::npos);
        EXPECT_TRUE(lost.StopShare());  // nothing to take back, nothing said
        EXPECT_EQ(prompt.told.size(), 1u);
    }
    // A Samba that allows no user shares: net's own words.
    prompt.told.clear();
    NetUserShares disabled(configWith("usershare max shares = 0"));
    FolderSharing refused(disabled, prompt, catalog, settings, shareFolder);
    EXPECT_FALSE(refused.RefreshShare());
    ASSERT_EQ(prompt.told.size(), 1u);
    EXPECT_NE(prompt.told[0].find("usershares are currently disabled"), std::string::npos)
        << prompt.told[0];
    // And a configuration that is not there is never swapped for the system's.
    NetUserShares nowhere({server->net, dir.file("missing.conf")});
    EXPECT_FALSE(nowhere.LoadNetApi());
    EXPECT_EQ(nowhere.unavailableReason(),
              "cannot read the Samba configuration " + dir.file("missing.conf"));
    EXPECT_FALSE(standing());
}

// A share net refuses to add is told once with net's reason, and the share list stays
// empty; the program's own refresh at start only sets the status bar.
TEST_F(RealShares, ARefusedShareIsToldOnceAndStartUpOnlySetsTheStatus) {
    writeFile(shareFolder + "a.txt", "a");
    NetUserShares noGuests(configWith("usershare allow guests = no"));
    FolderSharing refused(noGuests, prompt, catalog, settings, shareFolder);
    EXPECT_FALSE(refused.RefreshShare());
    ASSERT_EQ(prompt.told.size(), 1u);
    EXPECT_EQ(prompt.told[0], "The share folder could not be shared: " + noGuests.lastError());
    EXPECT_NE(noGuests.lastError().find("usershare allow guests"), std::string::npos)
        << noGuests.lastError();
    EXPECT_EQ(catalog.recordCount(kShareList), 0);

    prompt.told.clear();
    EXPECT_FALSE(refused.RefreshShare(FolderSharing::Report::Status));
    EXPECT_TRUE(prompt.told.empty());
    EXPECT_EQ(prompt.statuses, std::vector<std::string>{"The share folder could not be shared: " +
                                                        noGuests.lastError()});
    EXPECT_FALSE(standing());

    // A removal that fails is told with its reason (net cannot be made to refuse one here).
    struct RefusingRemoval : NetUserShares {
        using NetUserShares::NetUserShares;
        bool DeleteShare(const std::string&) override { return false; }
    } stuck(server->netConfig());
    ASSERT_TRUE(sharing->RefreshShare());
    FolderSharing stopping(stuck, prompt, catalog, settings, shareFolder);
    EXPECT_FALSE(stopping.StopShare());
    EXPECT_EQ(prompt.told,
              std::vector<std::string>{"The share could not be removed: " + stuck.lastError()});
    EXPECT_TRUE(standing());
}

}  // namespace
}  // namespace varnel
