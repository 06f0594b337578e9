#include <gtest/gtest.h>

#include <random>

#include "catalog/workspace.h"
#include "query/savedsearch.h"

namespace varnel {
namespace {

struct Fixture {
    Settings settings;
    SavedSearchList list{settings.savedSearchCount, settings.savedSearchBlock};
    int pageWrites = 0;
    Fixture() {
        list.onChanged = [this] { ++pageWrites; };
    }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (int32_t i = 0; i < list.count(); ++i) out.emplace_back(list.savedSearchName(i));
        return out;
    }
};

TEST(SavedSearches, StartWithTheFourBuiltInOnes) {
    Fixture f;
    EXPECT_EQ(f.names(), (std::vector<std::string>{"Softwares ", "MultiMedia files", "Music files",
                                                   "Html documents"}));
    EXPECT_EQ(f.list.savedSearchPatterns(1), "*.mpg,*.avi,*.rm*,*.mpeg");
    EXPECT_EQ(f.list.savedSearchFolder(3), "");
    EXPECT_EQ(f.list.savedSearchDays(2), 0);
}

TEST(SavedSearches, NamesAreUniqueIgnoringCaseButRemovedExactly) {
    Fixture f;
    EXPECT_EQ(f.list.addSavedSearch("music files", "*.ogg", "", 0), 0);
    EXPECT_EQ(f.pageWrites, 0);
    EXPECT_EQ(f.list.removeSavedSearch("music files"), -1);
    EXPECT_EQ(f.pageWrites, 1);  // a remove rewrites the page whatever it found
    EXPECT_EQ(f.list.count(), 4);
    EXPECT_EQ(f.list.addSavedSearch("Recent", "*", "/home/", 7), 1);
    EXPECT_EQ(f.list.modifySavedSearch("RECENT", "*.txt", "/tmp/", -1, 100, 200), 1);
    EXPECT_EQ(f.list.savedSearchName(4), "RECENT");
    EXPECT_EQ(f.list.savedSearchFolder(4), "/tmp/");
    EXPECT_EQ(f.list.savedSearchEnd(4), 200u);
    EXPECT_EQ(f.list.modifySavedSearch("unknown", "", "", 0), 0);
    SavedSearchTexts texts;
    SearchCriteria criteria;
    EXPECT_EQ(f.list.removeSavedSearch("RECENT", &texts, &criteria), 4);
    EXPECT_EQ(texts.patterns, "*.txt");
    EXPECT_EQ(criteria.days, -1);
    EXPECT_EQ(f.list.count(), 4);
}

TEST(SavedSearches, MovesCarryTheirCriteria) {
    Fixture f;
    f.list.modifySavedSearch("MultiMedia files", "*.mpg", "", 30);
    f.list.moveSavedSearchUp("MultiMedia files");
    EXPECT_EQ(f.names()[0], "MultiMedia files");
    EXPECT_EQ(f.list.savedSearchDays(0), 30);
    EXPECT_EQ(f.list.savedSearchDays(1), 0);
    f.list.moveSavedSearchUp("MultiMedia files");  // already first: stays
    EXPECT_EQ(f.names()[0], "MultiMedia files");
    f.list.moveSavedSearchDown("Html documents");  // already last: stays
    EXPECT_EQ(f.names()[3], "Html documents");
    f.list.moveSavedSearchDown("MultiMedia files");
    EXPECT_EQ(f.names(), (std::vector<std::string>{"Softwares ", "MultiMedia files", "Music files",
                                                   "Html documents"}));
    EXPECT_EQ(f.list.savedSearchDays(1), 30);
}

// Any sequence of operations keeps the block within its 8192 bytes and consistent.
TEST(SavedSearches, TheBlockIsNeverOverrun) {
    Fixture f;
    std::mt19937 rng(3);
    for (int step = 0; step < 5000; ++step) {
        std::string name = "n" + std::to_string(rng() % 60);
        std::string patterns(rng() % 400, 'p'), folder(rng() % 300, 'f');
        const size_t before = f.list.usedBytes();
        const int32_t count = f.list.count();
        switch (rng() % 5) {
            case 0:
                if (!f.list.addSavedSearch(name, patterns, folder, 1)) {
                    EXPECT_EQ(f.list.count(), count);
                    EXPECT_EQ(f.list.usedBytes(), before);
                }
                break;
            case 1:
                if (!f.list.modifySavedSearch(name, patterns, folder, 2)) {
                    EXPECT_EQ(f.list.usedBytes(), before);
                }
                break;
            case 2:
                f.list.removeSavedSearch(name);
                break;
            case 3:
                f.list.moveSavedSearchUp(name);
                break;
            case 4:
                f.list.moveSavedSearchDown(name);
                break;
        }
        ASSERT_LE(f.list.usedBytes(), kSavedSearchBlockSize);
        ASSERT_EQ(f.settings.savedSearchBlock[f.list.usedBytes() - 1], 0);
    }
    // What the block holds survives the settings file.
    Settings reread;
    parseSettings(encodeSettings(f.settings, 0), reread);
    SavedSearchList again(reread.savedSearchCount, reread.savedSearchBlock);
    ASSERT_EQ(again.count(), f.list.count());
    for (int32_t i = 0; i < again.count(); ++i) {
        EXPECT_EQ(again.savedSearchName(i), f.list.savedSearchName(i));
        EXPECT_EQ(again.savedSearchFolder(i), f.list.savedSearchFolder(i));
        EXPECT_EQ(again.savedSearchDays(i), 0);  // date criteria are not stored
    }
}

}  // namespace
}  // namespace varnel
