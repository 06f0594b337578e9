#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "query/trigramindex.h"

namespace varnel {
namespace {

// Random texts over a small alphabet with bytes above 0x7F, so that words recur and
// trigrams share lists.
std::string randomPool(std::mt19937& rng, int texts) {
    std::string pool;
    for (int t = 0; t < texts; ++t) {
        for (int k = 1 + static_cast<int>(rng() % 40); k > 0; --k) pool += "ab.\xc3\xa9\xff/ z"[rng() % 9];
        pool += '\0';
    }
    return pool;
}

// Every block that holds a word in one of its texts is a candidate; a tail of an eighth of
// the indexed bytes or less is left to direct reading, a longer one asks for a new build.
TEST(TrigramIndex, NeverMissesABlockThatHoldsTheWord) {
    std::mt19937 rng(3);
    std::string pool = randomPool(rng, 3000);
    for (int round = 0; round < 3; ++round) {
        const TrigramIndex index = TrigramIndex::build(pool.data(), static_cast<uint32_t>(pool.size()));
        ASSERT_EQ(index.indexedSize(), pool.size());
        for (int q = 0; q < 200; ++q) {
            // Words taken from the pool (mostly present) and made up (mostly absent).
            std::string word;
            if (q % 2 == 0) {
                const size_t at = rng() % (index.indexedSize() - 8);
                word = pool.substr(at, 3 + rng() % 5);
                word = word.substr(0, word.find('\0'));
            } else {
                for (int k = 3 + static_cast<int>(rng() % 3); k > 0; --k) word += "ab.\xc3z"[rng() % 5];
            }
            if (!index.usable(word)) continue;
            const std::vector<uint32_t> blocks = index.candidateBlocks(word);
            ASSERT_TRUE(std::is_sorted(blocks.begin(), blocks.end()));
            for (uint32_t at = 0; at < index.indexedSize();) {
                const std::string text(pool.data() + at);
                if (text.find(word) != std::string::npos) {
                    ASSERT_TRUE(std::binary_search(blocks.begin(), blocks.end(),
                                                   at / TrigramIndex::kBlockBytes))
                        << "\"" << word << "\" in the text at " << at;
                }
                at += static_cast<uint32_t>(text.size()) + 1;
            }
        }
        EXPECT_FALSE(index.wantsRebuild(static_cast<uint32_t>(pool.size() + pool.size() / 8)));
        EXPECT_TRUE(index.wantsRebuild(static_cast<uint32_t>(pool.size() + pool.size() / 8 + 1)));
        EXPECT_TRUE(index.wantsRebuild(100 + TrigramIndex::kMinIndexedBytes));  // a rewritten pool
        pool += randomPool(rng, 600);
    }
    std::atomic<bool> stop{true};
    EXPECT_EQ(TrigramIndex::build(pool.data(), static_cast<uint32_t>(pool.size()), &stop).indexedSize(), 0u);
}

}  // namespace
}  // namespace varnel
