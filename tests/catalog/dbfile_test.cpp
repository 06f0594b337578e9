#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <csignal>
#include <filesystem>

#include "catalog/dbfile.h"
#include "catalog/dbformat.h"
#include "catalog/tables.h"
#include "platform/filetime.h"
#include "support/catalogbuilder.h"
#include "support/littleendian.h"
#include "support/scriptedprompt.h"
#include "support/tempdir.h"

namespace varnel {
namespace {

using test::appendRecords;
using test::le32;
using test::putU32;
using test::readFile;
using test::readList;
using test::Rec;
using test::u32At;
using test::writeFile;

// A catalog with its file layer, the way the program holds them.
struct Fixture {
    test::TempDir dir;
    test::ScriptedPrompt prompt;
    Catalog catalog;
    CatalogDatabase db{catalog, prompt, dir.file("save.fdb")};
    Fixture() {
        db.clockSeconds = [] { return int64_t{0}; };
    }
    // Writes the catalog to `name` in the fixture's folder: the file's bytes.
    std::string save(const char* name, const char* exportFolder = nullptr) {
        EXPECT_EQ(db.writeCatalogFile(dir.file(name), exportFolder), 1) << name;
        return readFile(dir.file(name));
    }
};

// Names the first differing offset instead of printing two whole files.
void expectSameBytes(const std::string& a, const std::string& b) {
    EXPECT_EQ(a.size(), b.size());
    auto diff = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    EXPECT_TRUE(diff.first == a.end()) << "first difference at byte " << (diff.first - a.begin());
}

constexpr size_t kHeaderSize = 4 + 5 * 4 + 10 * 800;

// Where the record counts start: after the header and every list's column elements.
size_t countsOffset(const std::string& bytes) {
    size_t at = kHeaderSize;
    for (int c = 0; c < 5; ++c)
        for (int list = 0; list < 200; ++list)
            at += u32At(bytes, 24 + c * 1600 + 4 * list) * (c == 3 ? 8 : 4);
    return at;
}
// Rows of an empty catalog: header, five columns of 200 single elements, counts, three
// pools (the note pool holds its 3 bytes), the site table, the history, the export folder.
constexpr size_t kEmptyFileSize = kHeaderSize + 200 * (4 + 4 + 4 + 8 + 4) + 800 + (4 + 4 + 4 + 3) +
                                  (4 + 26624 + 4) + (56 + 4 + 4 + 4) + (4 + 1);

TEST(CatalogFile, EmptyCatalogHasEveryFixedRow) {
    Fixture f;
    const std::string bytes = f.save("empty.fdb");
    ASSERT_EQ(bytes.size(), kEmptyFileSize);
    EXPECT_EQ(bytes.substr(0, 4), "VRNL");
    const uint32_t elementSize[5] = {4, 4, 4, 8, 4};
    for (int c = 0; c < 5; ++c) {
        uint32_t base = u32At(bytes, 4 + 4 * c);
        size_t capacities = 24 + c * 1600, starts = capacities + 800;
        for (uint32_t list = 0; list < 200; ++list) {
            ASSERT_EQ(u32At(bytes, capacities + 4 * list), 1u);
            ASSERT_EQ(u32At(bytes, starts + 4 * list), base + elementSize[c] * list);
        }
    }
    // The folder and name pools empty, the note pool with its shared blank note.
    size_t pools = kHeaderSize + 200 * 24 + 800;
    EXPECT_EQ(bytes.substr(pools, 15), le32(0) + le32(0) + le32(3) + std::string("\0 \0", 3));
    size_t sites = pools + 15;
    EXPECT_EQ(bytes.substr(sites + 4 + 4, 5), std::string("root\0", 5));
    EXPECT_EQ(u32At(bytes, sites + 4 + 36), 0u);  // the root shows the master list
    EXPECT_EQ(u32At(bytes, sites + 4 + 44), 2u);  // kind: root
    EXPECT_EQ(u32At(bytes, sites + 4 + 26624), 1u);
    EXPECT_EQ(bytes.substr(bytes.size() - 5), std::string("\1\0\0\0\0", 5));
    Fixture g;  // no view at all: a history count of 0, read back as no current list
    ASSERT_EQ(g.db.openCatalog(f.dir.file("empty.fdb")), 1);
    EXPECT_EQ(g.catalog.currentList(), -1);
}

// Written, read and written again, a catalog is the same to the byte; so is a file written
// by another run, which holds other base words (only differences count).
TEST(CatalogFile, WriteReadWriteIsByteIdenticalWhateverTheBaseWords) {
    Fixture f;
    std::vector<Rec> records = test::randomRecords(11, 5000, 50);
    appendRecords(f.catalog, kMasterList, records);
    test::appendRecord(f.catalog, kSelectionList, records[3]);
    f.catalog.historyPush(kMasterList, "/data/", -1, 2, 2);
    SiteNode& child = f.catalog.siteNodes()[1];
    child = SiteNode{};
    child.parent = Catalog::siteParentRef(0);
    std::strcpy(child.name, "child");
    f.catalog.setSiteNodeCount(2);
    const std::string written = f.save("a.fdb");
    std::string bytes = written;
    const uint32_t delta[5] = {0x1234, 0x77770000, 0xFFFFFFF0, 8, 0x10};
    for (int c = 0; c < 5; ++c) {
        putU32(bytes, 4 + 4 * c, u32At(bytes, 4 + 4 * c) + delta[c]);
        for (int list = 0; list < 200; ++list) {
            size_t at = 24 + c * 1600 + 800 + 4 * list;
            putU32(bytes, at, u32At(bytes, at) + delta[c]);
        }
    }
    size_t sites = countsOffset(bytes) + 800;
    for (int p = 0; p < 3; ++p) sites += 4 + u32At(bytes, sites);
    putU32(bytes, sites, u32At(bytes, sites) + 0x40);                    // B6
    putU32(bytes, sites + 4 + 52, u32At(bytes, sites + 4 + 52) + 0x40);  // child's parent
    writeFile(f.dir.file("moved.fdb"), bytes);

    for (const char* name : {"a.fdb", "moved.fdb"}) {
        Fixture g;
        ASSERT_EQ(g.db.openCatalog(f.dir.file(name)), 1) << name << ": " << g.db.lastError();
        EXPECT_EQ(readList(g.catalog, kMasterList), records);
        EXPECT_EQ(readList(g.catalog, kSelectionList), std::vector<Rec>{records[3]});
        EXPECT_EQ(g.catalog.currentList(), kMasterList);
        EXPECT_STREQ(g.catalog.history().address[0].data(), "/data/");
        EXPECT_EQ(g.catalog.history().sortOrder[0], 2);
        EXPECT_EQ(Catalog::siteParentIndex(g.catalog.siteNodes()[1]), 0);
        expectSameBytes(written, g.save("b.fdb"));
        EXPECT_TRUE(g.prompt.told.empty());
    }
}

// Saving the default catalog keeps the old one as backup.fdb; a save that fails part way,
// as on a full disk, leaves both files as they were and names the file.
TEST(CatalogFile, SavingTheDefaultKeepsABackupAndAFailedSaveChangesNothing) {
    Fixture f;
    appendRecords(f.catalog, kMasterList, {{"/x/", "first", "", 1, 1}});
    const std::string first = f.save("save.fdb");  // the default catalog
    appendRecords(f.catalog, kMasterList, {{"/x/", "second", "", 2, 2}});
    const std::string second = f.save("save.fdb");
    EXPECT_EQ(readFile(f.dir.file("backup.fdb")), first);
    EXPECT_NE(second, first);
    // Saving elsewhere makes no backup.
    f.save("other.fdb");
    EXPECT_EQ(readFile(f.dir.file("backup.fdb")), first);

    appendRecords(f.catalog, kMasterList, test::randomRecords(8, 3000, 20));
    int result = -1;
    test::withFileSizeLimit(
        60000, [&] { result = f.db.writeCatalogFile(f.db.defaultCatalogPath(), nullptr); });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(readFile(f.db.defaultCatalogPath()), second);
    EXPECT_EQ(readFile(f.dir.file("backup.fdb")), first);
    ASSERT_FALSE(f.prompt.told.empty());
    EXPECT_NE(f.prompt.told.back().find(f.db.defaultCatalogPath()), std::string::npos);
    // A folder that does not exist.
    EXPECT_EQ(f.db.writeCatalogFile(f.dir.file("no/such/folder.fdb"), nullptr), 0);
    EXPECT_NE(f.prompt.told.back().find("no/such/folder.fdb"), std::string::npos);
}

// A selection view is a derived list; its fields are not stored, so neither is its count.
TEST(CatalogFile, DerivedViewsAreNotSavedAsBrokenLists) {
    Fixture f;
    appendRecords(f.catalog, kMasterList, test::randomRecords(2, 100, 5));
    int view = f.catalog.allocTempList(0);
    for (int32_t i = 0; i < 40; ++i) f.catalog.copyRecord(view, i, kMasterList, i * 2);
    f.catalog.setRecordCount(view, 40);
    f.catalog.historyPush(view, "", -1, -1, 0);
    std::string bytes = f.save("a.fdb");
    Fixture g;
    ASSERT_EQ(g.db.openCatalog(f.dir.file("a.fdb")), 1);
    EXPECT_EQ(g.catalog.recordCount(view), 0);

    // A file from elsewhere that holds such a list: the list is emptied, the rest loads.
    putU32(bytes, countsOffset(bytes) + 4 * 150, 40);
    writeFile(f.dir.file("old.fdb"), bytes);
    Fixture h;
    ASSERT_EQ(h.db.openCatalog(f.dir.file("old.fdb")), 1) << h.db.lastError();
    EXPECT_EQ(h.catalog.recordCount(150), 0);
    EXPECT_EQ(h.catalog.recordCount(kMasterList), 100);
}

// Local names are case-sensitive: "/d/a.txt" and "/d/a.TXT" are two files. FTP names and
// the paths of catalogs made on case-blind systems ignore case.
TEST(CatalogFile, DuplicatesKeepTheFirstRecordAndWarn) {
    Fixture f;
    appendRecords(f.catalog, kMasterList,
                  {{"/d/", "a.txt", "first", 1, 1},
                   {"/e/", "a.txt", "", 2, 2},
                   {"/D/", "A.TXT", "", 3, 3},
                   {"/d/", "a.TXT", "", 4, 4},
                   {"/d/", "a.txt", "again", 5, 5},
                   {"ftp:\\\\h\\p\\", "x", "site", 6, 6},
                   {"FTP:\\\\H\\P\\", "X", "again", 7, 7},
                   {"C:\\Music\\", "song.mp3", "windows", 8, 8},
                   {"c:\\music\\", "SONG.MP3", "again", 9, 9}});
    f.save("a.fdb");
    ASSERT_EQ(f.prompt.told,
              std::vector<std::string>{"Some error found in Database,Your data may lost."});
    std::vector<std::string> notes;
    for (const Rec& r : readList(f.catalog, kMasterList)) notes.push_back(r.note);
    EXPECT_EQ(notes, (std::vector<std::string>{"first", "", "", "", "site", "windows"}));

    // Names that differ only in letter case survive a save and a reload without a word.
    f.prompt.told.clear();
    f.save("a.fdb");
    ASSERT_EQ(f.db.openCatalog(f.dir.file("a.fdb")), 1);
    EXPECT_EQ(f.catalog.recordCount(kMasterList), 6);
    EXPECT_TRUE(f.prompt.told.empty());
}

TEST(CatalogFile, BadFilesAreRefusedAndChangeNothing) {
    Fixture f;
    std::vector<Rec> records = test::randomRecords(4, 200, 8);
    appendRecords(f.catalog, kMasterList, records);
    const std::string good = f.save("good.fdb");

    // A wrong magic, oversized and negative capacities, a gap between segments, a name
    // offset past its pool.
    auto with = [&](size_t at, uint32_t value) {
        std::string bytes = good;
        putU32(bytes, at, value);
        return bytes;
    };
    const size_t start9 = 24 + 800 + 4 * 9;
    for (const std::string& bytes :
         {with(0, 0x4C4E5258 /* "XRNL" */), with(24, 0x7FFFFFFF), with(24 + 1600 + 4 * 7, ~0u),
          with(start9, u32At(good, start9) + 4), with(kHeaderSize, 0x00FFFFFF)}) {
        writeFile(f.dir.file("bad.fdb"), bytes);
        f.prompt.told.clear();
        EXPECT_EQ(f.db.readCatalogFile(f.dir.file("bad.fdb")), 0);
        EXPECT_EQ(f.prompt.told, std::vector<std::string>{"File Can't be opened"});
        EXPECT_EQ(readList(f.catalog, kMasterList), records);
    }
    // Missing and empty files fail silently.
    f.prompt.told.clear();
    writeFile(f.dir.file("empty.fdb"), "");
    EXPECT_EQ(f.db.readCatalogFile(f.dir.file("empty.fdb")), 0);
    EXPECT_EQ(f.db.readCatalogFile(f.dir.file("missing.fdb")), 0);
    EXPECT_TRUE(f.prompt.told.empty());
}

// Texts are copied through 2048-byte working buffers: a name or folder that long says no
// file we could handle, so the file is refused; an over-long note is emptied. Two texts
// stored side by side become one long text when the terminator between them is overwritten.
TEST(CatalogFile, TextsTooLongForTheWorkingBuffersAreRefusedOrEmptied) {
    Fixture f;
    const std::string a(1500, 'a'), b(1500, 'b');
    appendRecords(f.catalog, kMasterList, {{"/x/", a, a, 1, 1}, {"/x/", b, b, 2, 2}});
    const std::string good = f.save("good.fdb");
    auto joined = [&](size_t from) {
        std::string bytes = good;
        const size_t at = bytes.find(a + '\0' + b, from);
        EXPECT_NE(at, std::string::npos);
        bytes[at + a.size()] = '-';
        return bytes;
    };
    const size_t namePool = good.find(a + '\0' + b);
    const size_t notePool = good.find(a + '\0' + b, namePool + 1);
    writeFile(f.dir.file("name.fdb"), joined(namePool));
    EXPECT_EQ(f.db.readCatalogFile(f.dir.file("name.fdb")), 0);
    EXPECT_NE(f.db.lastError().find("name pool holds a text of 3001 bytes"), std::string::npos)
        << f.db.lastError();

    writeFile(f.dir.file("note.fdb"), joined(notePool));
    ASSERT_EQ(f.db.readCatalogFile(f.dir.file("note.fdb")), 1) << f.db.lastError();
    std::vector<Rec> read = readList(f.catalog, kMasterList);
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0].name, a);
    EXPECT_EQ(read[0].note, "");
    EXPECT_EQ(read[1].note, "");
}

// Every prefix and many random corruptions: refused or read, never a crash or a wild read
// (run under AddressSanitizer in CI).
// Flipped bytes are the fuzzer's (fuzz/): here every cut is refused with a reason.
TEST(CatalogFile, TruncatedFilesAreRefusedWithAReason) {
    Fixture f;
    appendRecords(f.catalog, kMasterList, test::randomRecords(6, 60, 4));
    f.catalog.historyPush(kMasterList, "*", -1, 0, 0);
    const std::string good = f.save("good.fdb");
    for (size_t length = 0; length < good.size();
         length += (length < kHeaderSize + 2000 ? 7 : 61)) {
        CatalogImage image;
        MemorySource source(std::string_view(good).substr(0, length));
        std::string why;
        ASSERT_FALSE(decodeCatalog(source, image, why)) << length;
        ASSERT_FALSE(why.empty());
    }
}

TEST(CatalogFile, AnUnreadableDefaultCatalogIsMovedAsideNotOverwritten) {
    Fixture f;
    writeFile(f.db.defaultCatalogPath(), "this is not a catalog");
    EXPECT_EQ(f.db.openCatalog(f.db.defaultCatalogPath()), 1);
    EXPECT_EQ(f.catalog.recordCount(kMasterList), 0);
    EXPECT_FALSE(test::fileExists(f.db.defaultCatalogPath()));
    ASSERT_EQ(f.prompt.told.size(), 2u);
    EXPECT_EQ(f.prompt.told[0], "File Can't be opened");
    EXPECT_NE(f.prompt.told[1].find("save.fdb.unreadable-"), std::string::npos);
    const std::vector<std::string> left = test::namesInFolder(f.dir.path());
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].rfind("save.fdb.unreadable-", 0), 0u) << left[0];
    EXPECT_EQ(readFile(f.dir.file(left[0])), "this is not a catalog");
    // A missing default catalog simply starts empty.
    Fixture g;
    EXPECT_EQ(g.db.openCatalog(g.db.defaultCatalogPath()), 1);
    EXPECT_TRUE(g.prompt.told.empty());
    EXPECT_EQ(g.db.openedFileTime(), 0u);
}

// Killed at any moment of a save of the default catalog, the catalog file is there, whole:
// the old one or the new one, never missing, and the backup reads too.
TEST(CatalogFile, AKillDuringASaveLeavesTheOldOrTheNewFile) {
    test::TempDir dir;
    const std::string path = dir.file("save.fdb");
    struct Silent {
        SilentPrompt prompt;
        Catalog catalog;
        CatalogDatabase db;
        Silent(const std::string& path, const std::vector<Rec>& records)
            : db(catalog, prompt, path) {
            appendRecords(catalog, kMasterList, records);
        }
    };
    const std::vector<Rec> a = test::randomRecords(21, 30000, 200),
                           b = test::randomRecords(22, 20000, 100);
    ASSERT_EQ(Silent(path, b).db.writeCatalogFile(path, nullptr), 1);
    for (int round = 0; round < 100; ++round) {
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            Silent one(path, a), other(path, b);
            for (;;) {
                one.db.writeCatalogFile(path, nullptr);
                other.db.writeCatalogFile(path, nullptr);
            }
        }
        usleep(static_cast<useconds_t>(20000 + (round * 7919) % 40000));
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        for (const char* name : {"save.fdb", "backup.fdb"}) {
            if (std::string(name) == "backup.fdb" && !test::fileExists(dir.file(name))) continue;
            Silent reader(dir.file("elsewhere.fdb"), {});
            ASSERT_EQ(reader.db.readCatalogFile(dir.file(name)), 1)
                << name << " after round " << round << ": " << reader.db.lastError();
            int32_t count = reader.catalog.recordCount(kMasterList);
            ASSERT_TRUE(count == 30000 || count == 20000) << count;
        }
    }
}

// A default catalog found missing (a crash of an older version, a hand-deleted file) is
// opened from its backup, and the user is told.
TEST(CatalogFile, AMissingDefaultCatalogOpensFromItsBackup) {
    Fixture f;
    appendRecords(f.catalog, kMasterList, {{"/x/", "kept", "", 1, 1}});
    f.save("save.fdb");
    f.save("save.fdb");  // the first save becomes the backup
    std::filesystem::remove(f.db.defaultCatalogPath());
    ASSERT_EQ(f.db.openCatalogOrDefault(nullptr), 1);
    EXPECT_EQ(readList(f.catalog, kMasterList).at(0).name, "kept");
    ASSERT_EQ(f.prompt.told.size(), 1u);
    EXPECT_NE(f.prompt.told[0].find("backup.fdb"), std::string::npos);
    EXPECT_EQ(f.db.openCatalogPath(), f.db.defaultCatalogPath());
}

TEST(CatalogFile, ExportAppendsTheFilesContents) {
    Fixture f;
    const std::string folder = f.dir.path() + "/files/";
    std::filesystem::create_directory(folder);
    writeFile(folder + "one", "11111");
    writeFile(folder + "shrunk", "22");  // catalogued with 6 bytes
    writeFile(folder + "three", "333");
    appendRecords(f.catalog, kMasterList,
                  {{folder, "one", "", 0, 5},
                   {folder, "shrunk", "", 0, 6},
                   {folder, "three", "", 0, 3},
                   {folder, "gone", "", 0, 4}});
    const std::string bytes = f.save("export.fdb", "/target/");
    const size_t n = u32At(bytes, bytes.size() - 8), start = u32At(bytes, bytes.size() - 4);
    ASSERT_EQ(n, 2u);
    EXPECT_EQ(bytes.substr(start, 10), "1111122333");
    size_t table = bytes.size() - 8 - 16;
    EXPECT_EQ(u32At(bytes, table), 1u);      // index of "shrunk"
    EXPECT_EQ(u32At(bytes, table + 4), 3u);  // index of "gone"
    EXPECT_EQ(u32At(bytes, table + 8), 2u);  // bytes copied
    EXPECT_EQ(u32At(bytes, table + 12), 0u);
    Fixture g;
    ASSERT_EQ(g.db.openCatalog(f.dir.file("export.fdb")), 1);
    EXPECT_EQ(g.db.storedExportFolder(), "/target/");
}

TEST(CatalogFile, SaveOnExitMergesACopySavedMeanwhile) {
    Fixture f;
    ASSERT_EQ(f.db.openCatalog(f.db.defaultCatalogPath()), 1);
    appendRecords(f.catalog, kMasterList, {{"/mine/", "a", "", 1, 1}});
    // Another running copy saves the default catalog after we opened it.
    Fixture other;
    appendRecords(other.catalog, kMasterList, {{"/theirs/", "b", "", 2, 2}});
    ASSERT_EQ(other.db.writeCatalogFile(f.db.defaultCatalogPath(), nullptr), 1);
    std::vector<std::string> merged;
    int slept = -1;
    f.db.mergeCatalogFile = [&](const std::string& path, int mode) {
        merged.push_back(path + "#" + std::to_string(mode));
        return f.db.readCatalogFile(path);
    };
    f.db.currentFileTime = [&] { return fileLastWriteTime(f.db.defaultCatalogPath()) + 5000; };
    f.db.sleep = [&](int ms) { slept = ms; };
    f.db.random = [] { return 32767; };
    f.prompt.answers = {Answer::Yes};
    EXPECT_EQ(f.db.saveOnExit(), 1);
    EXPECT_EQ(merged, std::vector<std::string>{f.db.defaultCatalogPath() + "#0"});
    EXPECT_EQ(slept, 32 * 625);  // written within the last millisecond: wait before merging
}

}  // namespace
}  // namespace varnel
