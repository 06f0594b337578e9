#include "remote/namelist.h"

#include <gtest/gtest.h>

#include "catalog/tables.h"
#include "remote/ftpsession.h"  // LoginTable

namespace varnel {
namespace {

using namespace std::string_literals;

TEST(NameList, FindsIgnoringCaseAndRefusesNulsAndOverflow) {
    NameList list;
    ASSERT_TRUE(list.prepend("Beta"));
    ASSERT_TRUE(list.prepend("alpha"));
    EXPECT_EQ(list.find("ALPHA"), 0);
    EXPECT_EQ(list.find("beta"), 1);
    EXPECT_EQ(list.find("gamma"), -1);
    EXPECT_FALSE(list.prepend("a\0b"s));
    EXPECT_FALSE(list.append(std::string(NameList::kCapacity, 'x')));
    EXPECT_EQ(list.bytes(), "alpha\0Beta\0"s);
    // cfg.dat bytes: anything past the last NUL is not a whole string.
    list.assign("one\0two\0thr"s);
    EXPECT_EQ(list.bytes(), "one\0two\0"s);
    list.assign("no nul at all");
    EXPECT_TRUE(list.empty());
}

TEST(LoginTable, TrimsItsThreeListsTogetherAndKeepsEntriesAligned) {
    LoginTable table;
    for (int i = 0; i < 40; ++i)
        ASSERT_TRUE(table.add("host" + std::to_string(i), "user" + std::to_string(i),
                              std::string(100, 'p') + std::to_string(i)));
    // The long passwords decide how many entries stay; all three lists keep that many.
    EXPECT_LE(table.passwords.used(), NameList::kTrimmedSize);
    EXPECT_EQ(table.hosts.count(), table.passwords.count());
    EXPECT_EQ(table.users.count(), table.passwords.count());
    std::string user, password;
    ASSERT_TRUE(table.entry(table.hosts.find("HOST39"), user, password));
    EXPECT_EQ(user, "user39");
    EXPECT_EQ(table.hosts.find("host0"), -1);
    table.removeAt(0);
    EXPECT_EQ(table.hosts.find("host39"), -1);
    EXPECT_TRUE(table.entry(0, user, password));
    EXPECT_EQ(user, "user38");
    // Lists of different lengths (a damaged cfg.dat) give no entry rather than a wrong one.
    LoginTable damaged;
    damaged.hosts.assign("a\0b\0"s);
    damaged.users.assign("ua\0"s);
    damaged.passwords.assign("pa\0pb\0"s);
    EXPECT_TRUE(damaged.entry(0, user, password));
    EXPECT_FALSE(damaged.entry(1, user, password));
}

}  // namespace
}  // namespace varnel
