// The address-bar history and the command table's enable rules.
#include <gtest/gtest.h>

#include <set>

#include "app/addresshistory.h"
#include "app/commandtable.h"

namespace varnel {
namespace {

TEST(AddressHistory, NewestFirstOnceAndBoundedInBytes) {
    std::string history;
    EXPECT_TRUE(rememberAddress(history, "/music/", true));
    EXPECT_TRUE(rememberAddress(history, "*.jpg", true));
    EXPECT_TRUE(rememberAddress(history, "/MUSIC/", true));  // the same, ignoring case
    EXPECT_EQ(historyEntries(history), (std::vector<std::string>{"/MUSIC/", "*.jpg"}));

    // Long addresses push the oldest out; the list stays within 2048 bytes.
    for (char c = 'a'; c <= 'f'; ++c)
        rememberAddress(history, "/" + std::string(500, c) + "/", true);
    const auto entries = historyEntries(history);
    EXPECT_LE(history.size(), 2048u);
    EXPECT_EQ(entries.front(), "/" + std::string(500, 'f') + "/");
    EXPECT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries.back(), "/" + std::string(500, 'c') + "/");

    // Typed addresses of 2048 bytes or more are not remembered.
    EXPECT_FALSE(rememberAddress(history, std::string(2048, 'x'), true));
}

TEST(AddressHistory, FtpAddressesSwapBetweenUrlAndName) {
    EXPECT_EQ(addressToName("ftp://host/pub/"), "ftp:\\\\host\\pub\\");
    EXPECT_EQ(addressToName(addressToName("FTP://host/a b/")), "FTP://host/a b/");
    EXPECT_EQ(addressToName("/home/u/"), "/home/u/");
}

TEST(CommandTable, EnableRules) {
    CommandState s;
    s.openCatalogPath = s.defaultCatalogPath = "/p/save.fdb";
    EXPECT_FALSE(commandEnabled(kCmdClose, s));
    s.openCatalogPath = "/p/other.fdb";
    EXPECT_TRUE(commandEnabled(kCmdClose, s));

    // One view entry: neither Back nor Forward; a second one: Back only.
    s.historyCount = 1;
    s.historyPosition = 0;
    EXPECT_FALSE(commandEnabled(kCmdBack, s));
    EXPECT_FALSE(commandEnabled(kCmdForward, s));
    s.historyCount = 2;
    s.historyPosition = 1;
    EXPECT_TRUE(commandEnabled(kCmdBack, s));
    EXPECT_FALSE(commandEnabled(kCmdForward, s));

    EXPECT_FALSE(commandEnabled(kCmdKeep, s));
    EXPECT_FALSE(commandEnabled(kCmdDrop, s));
    EXPECT_FALSE(commandEnabled(kCmdShowInTree, s));
    s.selectedCount = 1;
    EXPECT_TRUE(commandEnabled(kCmdKeep, s));

    s.recordCount = 5;
    s.focusIndex = 0;
    EXPECT_FALSE(commandEnabled(kCmdUp, s));
    EXPECT_TRUE(commandEnabled(kCmdDown, s));
    s.focusIndex = 4;
    EXPECT_TRUE(commandEnabled(kCmdUp, s));
    EXPECT_FALSE(commandEnabled(kCmdDown, s));
}

TEST(CommandTable, ToolbarAndMenusCarryTheirOwnTexts) {
    std::vector<std::string> texts;
    for (const ToolButton& b : toolButtons()) texts.push_back(b.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"Back", "Foward", "Refresh", "Down", "Up", "Select",
                                               "Deselect", "Search", "All"}));
    std::set<int> ids;
    for (const MenuDefinition& m : menuTable())
        for (const MenuEntry& e : m.entries) {
            if (e.id > 0) {
                EXPECT_TRUE(ids.insert(e.id).second) << e.text;
            }
        }
    EXPECT_TRUE(ids.count(kCmdSearchFile));
    EXPECT_TRUE(ids.count(kCmdAbout));
}

}  // namespace
}  // namespace varnel
