#include <gtest/gtest.h>

#include <random>

#include "catalog/catalogmap.h"
#include "catalog/dbformat.h"
#include "support/catalogbuilder.h"

namespace varnel {
namespace {

std::string encoded(Catalog& catalog) {
    StringSink sink;
    EXPECT_TRUE(encodeCatalog(catalog, "", sink));
    return sink.bytes;
}

// What the reader makes of the bytes: the master list's records, or nothing when it refuses.
std::optional<std::vector<test::Rec>> readBack(const std::string& bytes) {
    MemorySource source(bytes);
    CatalogImage image;
    std::string why;
    if (!decodeCatalog(source, image, why)) return std::nullopt;
    Catalog catalog(64);
    applyCatalogImage(catalog, std::move(image));
    return test::readList(catalog, kMasterList);
}

std::vector<test::Rec> mappedRecords(const MappedCatalog& file) {
    std::vector<test::Rec> out;
    for (int32_t r = 0; r < file.count(); ++r)
        out.push_back({file.folderPool().data() + file.folderOffsets()[r],
                       file.namePool().data() + file.nameOffsets()[r],
                       file.notePool().data() + file.noteOffsets()[r], file.time(r), file.size(r)});
    return out;
}

// The mapped file shows the master list the reader reads, and never shows a file the reader
// refuses or would change (damaged bytes anywhere, a long note the reader empties).
TEST(MappedCatalog, ShowsWhatTheReaderReadsAndNothingItRefuses) {
    Catalog catalog;
    test::appendRecords(catalog, kMasterList, test::randomRecords(4, 300, 20));
    test::appendRecords(catalog, 7, test::randomRecords(5, 10, 3));
    const std::string good = encoded(catalog);
    MappedCatalog file;
    std::string why;
    ASSERT_TRUE(file.view(good, why) && file.textsFit(why)) << why;
    EXPECT_EQ(mappedRecords(file), *readBack(good));

    // The record counts end where the folder pool's length comes, before its first folder.
    const size_t countsAt = good.find("/data/") - 4 - 4 * kListCount;
    std::mt19937 rng(9);
    int accepted = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string bad = good;
        if (round < 20) {  // a count beyond its segment: the reader empties that list
            bad[countsAt + 4 * (round % 2 ? 0 : 7) + 2] = static_cast<char>(1 + round);
        } else if (round % 10 == 0) {
            bad.resize(rng() % bad.size());
        } else {
            for (int k = 1 + static_cast<int>(rng() % 3); k > 0; --k) {
                // Mostly where the structure is: the head, the counts, the pools, the tail.
                const size_t at = rng() % 2 ? rng() % 9000 : bad.size() - 1 - rng() % 40000;
                bad[at] = static_cast<char>(rng() % 3 ? rng() : bad[at] ^ 0x80);
            }
        }
        MappedCatalog damaged;
        const bool shown = damaged.view(bad, why) && damaged.textsFit(why);
        if (round < 20) {
            ASSERT_TRUE(shown) << why;  // the file is sound, the list just empty
        }
        if (!shown) continue;
        ++accepted;
        const auto reader = readBack(bad);
        ASSERT_TRUE(reader) << "round " << round << ": the mapped file read what the reader refuses";
        ASSERT_EQ(mappedRecords(damaged), *reader) << "round " << round;
    }
    EXPECT_GT(accepted, 100);  // the damage also hit bytes that do not matter

    // Two notes joined into one of 3000 bytes, which the reader would empty.
    test::appendRecords(catalog, kMasterList, {{"/n/", "x", std::string(1500, 'n'), 1, 1},
                                               {"/n/", "y", std::string(1499, 'm'), 1, 1}});
    std::string joined = encoded(catalog);
    const size_t seam = joined.find(std::string(1500, 'n') + '\0' + 'm');
    ASSERT_NE(seam, std::string::npos);
    joined[seam + 1500] = 'n';
    MappedCatalog longNote;
    EXPECT_TRUE(longNote.view(joined, why));
    EXPECT_FALSE(longNote.textsFit(why));
    EXPECT_NE(why.find("note pool"), std::string::npos);
    EXPECT_TRUE(readBack(joined));
}

}  // namespace
}  // namespace varnel
