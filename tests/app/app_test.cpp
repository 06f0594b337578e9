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
    EXPECT_TRUE(rememberAddress(history, "/MUSIC/", true));  // another folder on Linux
    EXPECT_TRUE(rememberAddress(history, "ftp://Host/Pub/", true));
    EXPECT_TRUE(rememberAddress(history, "FTP://host/pub/", true));  // the same site folder
    EXPECT_TRUE(rememberAddress(history, "/music/", true));
    EXPECT_EQ(historyEntries(history),
              (std::vector<std::string>{"/music/", "FTP://host/pub/", "/MUSIC/", "*.jpg"}));

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

}  // namespace
}  // namespace varnel
