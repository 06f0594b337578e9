#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>

#include "catalog/catalogmap.h"
#include "catalog/dbformat.h"
#include "catalog/workspace.h"
#include "query/filesearch.h"
#include "query/savedsearch.h"
#include "query/search.h"
#include "query/wordindexfile.h"
#include "remote/ftpnames.h"
#include "support/catalogbuilder.h"
#include "support/tempdir.h"

namespace varnel {
namespace {

void save(Catalog& catalog, const std::string& path) {
    StringSink sink;
    ASSERT_TRUE(encodeCatalog(catalog, "", sink));
    // A new file renamed into place, as a save does.
    test::writeFile(path + ".new", sink.bytes);
    ASSERT_EQ(std::rename((path + ".new").c_str(), path.c_str()), 0);
}

// The search over the mapped file finds what the window's search finds on the same catalog:
// without an index file (which it then writes), with it (texts folded only where read), and
// with one that is damaged or was made before the catalog changed (never used, written anew).
// Records listed folder by folder, as this program saves them, are looked up from the texts
// that hold a rare word; others are all tested.
void agreesWithTheWindowsSearch(bool folderByFolder) {
    test::TempDir dir;
    const std::string path = dir.file("c.fdb"), index = wordIndexPath(path);
    Catalog catalog;
    std::vector<test::Rec> records = test::randomRecords(3, 5000, 400);
    records[17].name = "Mid-\xc3\xa9t\xc3\xa9";
    for (size_t r = 0; r < records.size(); r += 2) records[r].name += "-Common";  // in every block
    if (folderByFolder)
        std::stable_sort(records.begin(), records.end(),
                         [](const test::Rec& a, const test::Rec& b) { return a.folder < b.folder; });
    test::appendRecords(catalog, kMasterList, records);
    Settings settings;
    SavedSearchList searches(settings.savedSearchCount, settings.savedSearchBlock);
    CatalogSearch search(catalog, searches);
    auto inWindow = [&](const std::string& text) {
        const int list = catalog.allocTempList(1);
        search.patternFill(list, text.c_str());
        std::vector<uint32_t> out;
        for (int32_t i = 0; i < catalog.recordCount(list); ++i)
            out.push_back(catalog.masterIndex(list, i));
        catalog.releaseTempList(0);
        return out;
    };
    std::mt19937 rng(2);
    std::vector<std::string> texts = {"a", "\xc3\xa9", "zq", "mid-\xc3\xa9t", "common", "*.x*", "*a?b*",
                                      records[5].folder};
    for (int k = 0; k < 40; ++k) {
        const test::Rec& r = records[rng() % records.size()];
        const std::string whole = r.folder + r.name;
        const std::string word = whole.substr(rng() % (whole.size() - 1), 3 + rng() % 6);
        if (word.find_first_of("*?") == std::string::npos && !IsFolderName(word.c_str()) &&
            !IsFtpName(word.c_str()))
            texts.push_back(word);
        if (r.note.size() >= 3) texts.push_back(r.note.substr(0, 3));
        if (k % 4 == 0) texts.push_back("*" + word + "*");
        if (k % 4 == 1 && word.size() >= 6) texts.push_back("*" + word.substr(0, 2) + "?" + word.substr(3) + "*");
    }
    auto checkAll = [&](const char* when) {
        MappedCatalog file;
        std::string why;
        ASSERT_TRUE(file.open(path, why)) << why;
        for (const std::string& text : texts) {
            const auto found = searchCatalogFile(file, index, text.c_str());
            ASSERT_TRUE(found);
            ASSERT_EQ(*found, inWindow(text)) << when << ": \"" << text << "\"";
        }
        WordIndexes written;
        EXPECT_TRUE(readWordIndexFile(index, file, written)) << when;
        EXPECT_TRUE(written.namesStartTexts);
        EXPECT_EQ(written.ascending, folderByFolder);
    };

    save(catalog, path);
    checkAll("no index file yet");
    checkAll("with the index file");
    std::string damaged = test::readFile(index);
    damaged[damaged.size() / 2] ^= 0x20;
    test::writeFile(index, damaged);
    checkAll("damaged index file");
    const std::string before = test::readFile(index);
    test::appendRecord(catalog, kMasterList, {"/new/", "zq-latest", "", 1, 1});
    save(catalog, path);
    checkAll("catalog saved after the index file");
    EXPECT_NE(test::readFile(index), before);
}

TEST(FileSearch, AgreesWithTheWindowsSearchWithAndWithoutItsIndexFile) {
    agreesWithTheWindowsSearch(false);
    agreesWithTheWindowsSearch(true);
}

// A search checks the part of the index file it reads when it reads it: damage met there is
// never trusted (the answers stay those of the sound file) and the file is written anew.
TEST(FileSearch, DamageMetInTheIndexFileIsNeverTrusted) {
    test::TempDir dir;
    const std::string path = dir.file("c.fdb"), index = wordIndexPath(path);
    Catalog catalog;
    const std::vector<test::Rec> records = test::randomRecords(5, 60000, 3000);
    test::appendRecords(catalog, kMasterList, records);
    save(catalog, path);
    MappedCatalog file;
    std::string why;
    ASSERT_TRUE(file.open(path, why)) << why;
    std::vector<std::string> words;
    for (size_t r = 0; r < records.size(); r += 6007) words.push_back(records[r].name.substr(0, 4));
    std::vector<std::vector<uint32_t>> sound;
    for (const std::string& word : words) sound.push_back(*searchCatalogFile(file, index, word.c_str()));

    // One byte in each 64 KiB chunk that holds only the name index's lists (which are checked
    // when read, not when the file is opened).
    std::string damaged = test::readFile(index);
    const size_t startsAt = 8 + 5 * 8 + 2 * 4 + 4 + 32 + 12;
    uint32_t lists, bytes;
    std::memcpy(&lists, damaged.data() + startsAt - 8, 4);
    std::memcpy(&bytes, damaged.data() + startsAt - 4, 4);
    const size_t listsAt = startsAt + 4 * (size_t{lists} + 1), listsEnd = listsAt + bytes;
    int chunks = 0;
    for (size_t chunk = listsAt / 65536 + 1; (chunk + 1) * 65536 <= listsEnd; ++chunk, ++chunks)
        damaged[chunk * 65536 + 100] ^= 0x55;
    ASSERT_GE(chunks, 2);
    test::writeFile(index, damaged);

    for (size_t k = 0; k < words.size(); ++k)
        EXPECT_EQ(*searchCatalogFile(file, index, words[k].c_str()), sound[k]) << words[k];
    EXPECT_NE(test::readFile(index), damaged);
    WordIndexes rewritten;
    EXPECT_TRUE(readWordIndexFile(index, file, rewritten));
}

}  // namespace
}  // namespace varnel
