#include "remote/namelist.h"

#include <gtest/gtest.h>

#include <deque>
#include <random>

#include "catalog/tables.h"
#include "remote/ftpsession.h"  // LoginTable

namespace varnel {
namespace {

using namespace std::string_literals;

std::string listBytes(const std::deque<std::string>& model) {
    std::string bytes;
    for (const std::string& s : model) bytes += s + '\0';
    return bytes;
}

// Random prepends, appends, removes and trims against a plain deque of strings.
TEST(NameList, BehavesLikeADequeUnderRandomOperations) {
    std::mt19937 rng(11);
    NameList list;
    std::deque<std::string> model;
    const char* pool[] = {"host", "HOST", "h\xc3\xa9", "a b", "x", "ftp:\\\\site"};
    for (int step = 0; step < 20000; ++step) {
        std::string text = pool[rng() % 6];
        if (rng() % 8 == 0) text += std::string(rng() % 1500, 'q');
        const uint32_t op = rng() % 6;
        if (op < 2) {
            if (list.prepend(text))
                model.push_front(text);
            else
                EXPECT_GT(listBytes(model).size() + text.size() + 1, NameList::kCapacity);
        } else if (op == 2) {
            if (list.append(text)) model.push_back(text);
        } else if (op == 3) {
            auto it = std::find_if(model.begin(), model.end(), [&](const std::string& s) {
                return equalIgnoringCase(s, text);
            });
            EXPECT_EQ(list.remove(text), it != model.end());
            if (it != model.end()) model.erase(it);
        } else if (op == 4) {
            list.trim();
            while (listBytes(model).size() > NameList::kTrimmedSize) model.pop_back();
        } else {
            list.dropLast();
            if (!model.empty()) model.pop_back();
        }
        ASSERT_EQ(list.bytes(), listBytes(model)) << "step " << step;
        ASSERT_EQ(list.count(), static_cast<int>(model.size()));
    }
    for (size_t i = 0; i < model.size(); ++i) EXPECT_EQ(list.get(int(i)), model[i]);
    EXPECT_EQ(list.get(int(model.size())), nullptr);
}

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
