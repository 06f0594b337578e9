#include "query/search.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include <algorithm>
#include <bit>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "catalog/tables.h"
#include "query/addressmatcher.h"
#include "query/savedsearch.h"
#include "query/trigramindex.h"
#include "query/wildcard.h"
#include "remote/ftpnames.h"

namespace varnel {

namespace {

constexpr uint64_t kDay = 86400ULL * 10000000ULL;  // in file-time units

// A set of pool offsets: one bit per pool byte where most blocks will hold some (a search
// of the whole pool), else a bitmap only for each block of pool in which any is set, so that
// a rare word costs a few blocks, not one bit for every byte of the pool.
class OffsetSet {
  public:
    OffsetSet(uint32_t poolSize, bool dense) {
        if (dense) {
            words_.assign(poolSize / 64 + 1, 0);
        } else {
            slots_.assign(poolSize / kBlock + 1, 0);
            // Room for every block at once: pages never written cost nothing, and a growing
            // vector would copy (and fault in) what it holds at each step.
            words_.reserve(slots_.size() * kWords);
        }
    }
    void insert(uint32_t offset) {
        size_t word = offset / 64;
        if (!slots_.empty()) {
            uint32_t& slot = slots_[offset / kBlock];
            if (slot == 0) {
                words_.resize(words_.size() + kWords, 0);
                slot = static_cast<uint32_t>(words_.size() / kWords);
            }
            word = (slot - 1) * size_t{kWords} + offset % kBlock / 64;
        }
        words_[word] |= uint64_t{1} << (offset % 64);
    }
    bool contains(uint32_t offset) const {
        size_t word = offset / 64;
        if (!slots_.empty()) {
            const uint32_t slot = slots_[offset / kBlock];
            if (slot == 0) return false;
            word = (slot - 1) * size_t{kWords} + offset % kBlock / 64;
        }
        return words_[word] >> (offset % 64) & 1;
    }

  private:
    static constexpr uint32_t kBlock = 4096, kWords = kBlock / 64;
    std::vector<uint32_t> slots_;  // per block: 0, or 1 + its bitmap's number in words_
    std::vector<uint64_t> words_;
};

// The starts of the texts of a pool that hold a word. With an index, only the blocks it
// names and the unindexed tail are searched.
class StringHits {
  public:
    // `listUpTo`: also list the texts found while there are no more than this many.
    // `around`: bytes a pattern fixes around the word; a text in which no occurrence of the
    // word has them (where they fall inside the text) does not count.
    StringHits(const FoldedText& text, std::string_view word, size_t listUpTo = 0,
               std::span<const WildcardPattern::FixedText> around = {})
        : text_(text),
          hits_(text.size(), !text.index().usable(word)),
          word_(word),
          listUpTo_(listUpTo),
          around_(around) {
        if (listUpTo > 0) found_.reserve(listUpTo + 1);
        const uint32_t size = text.size();
        const TrigramIndex& index = text.index();
        if (!index.usable(word)) {
            markRange(0, size);
            return;
        }
        const uint32_t indexed = std::min(index.indexedSize(), size);
        for (uint32_t block : index.candidateBlocks(word)) {
            const uint64_t from = uint64_t{block} * TrigramIndex::kBlockBytes;
            if (from >= indexed) break;
            markRange(textStartFrom(static_cast<uint32_t>(from), indexed),
                      textStartFrom(static_cast<uint32_t>(
                                        std::min<uint64_t>(from + TrigramIndex::kBlockBytes, indexed)),
                                    indexed));
        }
        markRange(indexed, size);
    }
    // Whether the text at `offset` holds the word. Offsets into the middle of a string (only
    // in files written elsewhere) are searched directly.
    bool contains(uint32_t offset) const {
        if (hits_.contains(offset)) return true;
        if (text_.startsText(offset)) return false;
        return std::string_view(text_.text(offset)).find(word_) != std::string_view::npos;
    }

    // The starts of the texts found, ascending; nullptr when there were too many to list.
    const std::vector<uint32_t>* found() const {
        return found_.size() <= listUpTo_ ? &found_ : nullptr;
    }
    // Whether any text holds the word (the first is always listed).
    bool foundAny() const { return !found_.empty(); }

  private:
    void insert(uint32_t start) {
        hits_.insert(start);
        if (found_.size() <= listUpTo_) found_.push_back(start);
    }

    // The first text that starts at or after `at`: `at` itself or just after a NUL.
    uint32_t textStartFrom(uint32_t at, uint32_t end) const {
        if (at == 0 || at >= end) return std::min(at, end);
        const char* bytes = text_.anyCase();
        if (bytes[at - 1] == 0) return at;
        const void* nul = std::memchr(bytes + at, 0, end - at);
        return nul ? static_cast<uint32_t>(static_cast<const char*>(nul) - bytes) + 1 : end;
    }

    // Marks the strings of pool[from, to) that hold the word; `from` starts a string.
    void markRange(uint32_t from, uint32_t to) {
        const char* bytes = text_.foldedRange(from, to);  // bytes[0] is pool byte `from`
        if (word_.size() <= 2) return markShortWord(bytes, from, to);
        const char* begin = bytes;
        const char* end = bytes + (to - from);
        for (const char* p = begin; p < end;) {
            const char* hit = static_cast<const char*>(
                memmem(p, static_cast<size_t>(end - p), word_.data(), word_.size()));
            if (!hit) break;
            const char* start =
                static_cast<const char*>(memrchr(begin, 0, static_cast<size_t>(hit - begin)));
            start = start ? start + 1 : begin;
            const char* stop =
                static_cast<const char*>(std::memchr(hit, 0, static_cast<size_t>(end - hit)));
            if (!stop) stop = end;
            if (!holdsFixedAround(start, hit, stop)) {
                p = hit + 1;  // another occurrence in this text may have them
                continue;
            }
            insert(from + static_cast<uint32_t>(start - begin));
            p = stop + 1;
        }
    }

    // Whether the bytes fixed around the word at `hit` are there, as far as they fall within
    // its text [start, stop): beyond it they may lie across the folder's end, so they count.
    bool holdsFixedAround(const char* start, const char* hit, const char* stop) const {
        for (const WildcardPattern::FixedText& fixed : around_) {
            if (fixed.offset < start - hit ||
                fixed.offset + static_cast<ptrdiff_t>(fixed.text.size()) > stop - hit)
                continue;
            if (std::memcmp(hit + fixed.offset, fixed.text.data(), fixed.text.size()) != 0)
                return false;
        }
        return true;
    }

    // A word of one or two bytes is in nearly every text: one pass, sixteen bytes at a time,
    // notes where texts start (after each NUL) and where the word is, and marks each text at
    // its first occurrence. `bytes` holds pool[from, to], the last byte readable too (see
    // foldedRange).
    void markShortWord(const char* bytes, uint32_t from, uint32_t to) {
        const bool pair = word_.size() == 2;
        const char first = word_[0], second = pair ? word_[1] : 0;
        uint32_t start = from;
        bool marked = false;
        uint32_t at = from;
#ifdef __SSE2__
        const __m128i zero = _mm_setzero_si128(), wantFirst = _mm_set1_epi8(first),
                      wantSecond = _mm_set1_epi8(second);
        for (; at + 16 <= to; at += 16) {
            const __m128i chunk =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + (at - from)));
            const unsigned nuls = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, zero)));
            unsigned hits =
                static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, wantFirst)));
            if (pair && hits) {
                const __m128i next =
                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + (at - from) + 1));
                hits &= static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(next, wantSecond)));
            }
            // Past the first occurrence, a text's other ones do not matter: only its NUL does.
            if (marked) hits &= nuls ? ~0u << std::countr_zero(nuls) : 0;
            for (unsigned events = nuls | hits; events;) {
                const int i = std::countr_zero(events);
                if ((nuls >> i) & 1) {
                    start = at + static_cast<uint32_t>(i) + 1;
                    marked = false;
                    events &= events - 1;
                } else {
                    insert(start);
                    marked = true;
                    const unsigned nextNul = nuls & (~0u << (i + 1));
                    events &= nextNul ? ~0u << std::countr_zero(nextNul) : 0;
                }
            }
        }
#endif
        for (const char* byte = bytes + (at - from); at < to; ++at, ++byte) {
            if (*byte == 0) {
                start = at + 1;
                marked = false;
            } else if (!marked && *byte == first && (!pair || byte[1] == second)) {
                insert(start);
                marked = true;
            }
        }
    }

    const FoldedText& text_;
    OffsetSet hits_;
    std::string_view word_;
    size_t listUpTo_;
    std::span<const WildcardPattern::FixedText> around_;
    std::vector<uint32_t> found_;
};

// The first of [from, end) not below `value`, for values that ascend from call to call:
// galloping from `from`, a few steps where the values are close together.
const uint32_t* gallopTo(const uint32_t* from, const uint32_t* end, uint32_t value) {
    if (from == end || *from >= value) return from;
    const uint32_t* low = from;  // *low < value
    ptrdiff_t step = 1;
    while (end - low > step && low[step] < value) {
        low += step;
        step *= 2;
    }
    return std::lower_bound(low + 1, end - low > step ? low + step : end, value);
}

// Adds the records whose offset in `offsets` (ascending) points into one of the texts at
// `starts` (ascending), which `pool` holds.
void addRecordsOfTexts(const uint32_t* offsets, int32_t count, const FoldedText& pool,
                       const std::vector<uint32_t>& starts, std::vector<int32_t>& records) {
    const uint32_t* end = offsets + count;
    const uint32_t* cursor = offsets;
    for (uint32_t start : starts) {
        const uint32_t textEnd = start + static_cast<uint32_t>(std::strlen(pool.anyCase() + start));
        const uint32_t* first = gallopTo(cursor, end, start);
        cursor = gallopTo(first, end, textEnd + 1);
        for (const uint32_t* p = first; p < cursor; ++p)
            records.push_back(static_cast<int32_t>(p - offsets));
    }
}

// For a word that may run across the end of the folder into the name: per folder offset,
// bit k set when the folder ends with the word's first k bytes. Reads every folder's end,
// folding those few bytes itself, so that folders folded on demand stay unfolded.
std::unordered_map<uint32_t, uint64_t> foldersEndingInWordStart(const FoldedText& folders,
                                                                std::string_view word) {
    std::unordered_map<uint32_t, uint64_t> spans;
    const char* pool = folders.anyCase();
    const size_t most = std::min<size_t>(word.size() - 1, 63);
    bool lastByteOfStart[256] = {};
    for (size_t k = 1; k <= most; ++k)
        lastByteOfStart[static_cast<unsigned char>(word[k - 1])] = true;
    auto endsWith = [&](const char* end, size_t k) {
        for (size_t i = 0; i < k; ++i)
            if (foldCase(static_cast<unsigned char>(end[i - k])) !=
                static_cast<unsigned char>(word[i]))
                return false;
        return true;
    };
    for (uint32_t offset = 0; offset < folders.size();) {
        const size_t length = std::strlen(pool + offset);
        const char* end = pool + offset + length;
        if (length > 0 && lastByteOfStart[foldCase(static_cast<unsigned char>(end[-1]))]) {
            uint64_t mask = 0;
            for (size_t k = 1; k <= std::min(most, length); ++k)
                if (endsWith(end, k)) mask |= uint64_t{1} << k;
            if (mask) spans.emplace(offset, mask);
        }
        offset += static_cast<uint32_t>(length) + 1;
    }
    return spans;
}

// Whether any folder may end with the word's first k bytes (k at least 1, short of the whole
// word): folders nearly always end with a separator, which few words hold.
bool someFolderEndsLikeWordStart(const FoldedText& folders, std::string_view word) {
    const ByteSet& ends = folders.textEnds();
    for (size_t k = 1; k < word.size() && k <= 63; ++k)
        if (ends.contains(static_cast<unsigned char>(word[k - 1]))) return true;
    return false;
}

// Which records' folder + name hold a word: the pools are searched once, and a word that runs
// from the end of a folder into the name is caught through the folders that end with its
// beginning.
class WordLocator {
  public:
    // Words it can look for: a folder's end holding up to 63 bytes of the word is noted in a
    // 64-bit mask.
    static bool takes(std::string_view word) { return word.size() <= 64; }

    // `around`: as StringHits takes it.
    WordLocator(const FoldedPools& pools, std::string_view word, const MasterTexts& records,
                std::span<const WildcardPattern::FixedText> around = {})
        : pools_(pools),
          word_(word),
          listUpTo_(listingLimit(records)),
          names_(pools.names(), word, listUpTo_, around),
          folders_(pools.folders(), word, listUpTo_, around) {
        if (word.size() >= 2 && someFolderEndsLikeWordStart(pools.folders(), word))
            spans_ = foldersEndingInWordStart(pools.folders(), word);
    }
    // Where the records' offsets ascend, the records that may hold the word are looked up
    // from the texts found (and the folders that end with the word's start) instead of
    // every record being tested: ascending, each once, a superset of those inFolderOrName
    // accepts. Nothing where that is not possible or would not be faster.
    std::optional<std::vector<int32_t>> candidates(const MasterTexts& records) const {
        const std::vector<uint32_t>* names = names_.found();
        const std::vector<uint32_t>* folders = folders_.found();
        if (!names || !folders || names->size() + folders->size() + spans_.size() > listUpTo_)
            return std::nullopt;
        if (!records.ascending && !offsetsAscend(records)) return std::nullopt;
        std::vector<uint32_t> seamFolders;
        for (const auto& [start, seams] : spans_) seamFolders.push_back(start);
        std::sort(seamFolders.begin(), seamFolders.end());
        // Three ascending runs, merged.
        std::vector<int32_t> found;
        found.reserve(static_cast<size_t>(records.count));  // only what is written is paid for
        addRecordsOfTexts(records.names, records.count, pools_.names(), *names, found);
        const auto fromNames = static_cast<ptrdiff_t>(found.size());
        addRecordsOfTexts(records.folders, records.count, pools_.folders(), *folders, found);
        const auto fromFolders = static_cast<ptrdiff_t>(found.size());
        addRecordsOfTexts(records.folders, records.count, pools_.folders(), seamFolders, found);
        std::inplace_merge(found.begin() + fromNames, found.begin() + fromFolders, found.end());
        std::inplace_merge(found.begin(), found.begin() + fromNames, found.end());
        found.erase(std::unique(found.begin(), found.end()), found.end());
        return found;
    }
    bool inFolderOrName(uint32_t folderAt, uint32_t nameAt) const {
        // Records come folder by folder: what depends on the folder alone is looked up once.
        if (folderAt != lastFolderAt_) {
            lastFolderAt_ = folderAt;
            folderHolds_ = folders_.contains(folderAt);
            auto span = spans_.find(folderAt);
            seams_ = span == spans_.end() ? 0 : span->second;
        }
        if (folderHolds_ || names_.contains(nameAt)) return true;
        if (!seams_) return false;
        const char* name = pools_.names().text(nameAt);
        for (size_t k = 1; k < 64; ++k)
            if (((seams_ >> k) & 1) && std::strncmp(name, word_.data() + k, word_.size() - k) == 0)
                return true;
        return false;
    }

  private:
    // How many texts found are worth looking up: up to a quarter of the records where they
    // are known to ascend; where that is still to be looked at (reading every offset), far
    // fewer.
    static size_t listingLimit(const MasterTexts& records) {
        const auto count = static_cast<size_t>(records.count);
        return !records.ascending ? count / 16 : *records.ascending ? count / 4 : 0;
    }

    const FoldedPools& pools_;
    std::string_view word_;
    size_t listUpTo_;
    StringHits names_, folders_;
    std::unordered_map<uint32_t, uint64_t> spans_;
    mutable uint32_t lastFolderAt_ = UINT32_MAX;
    mutable bool folderHolds_ = false;
    mutable uint64_t seams_ = 0;
};

struct NamePatterns {
    std::vector<std::string> extensions;  // an empty element stands for names ending in "."
    std::vector<WildcardPattern> patterns;

    explicit NamePatterns(std::string_view list) {
        std::string lowered = foldedQuery(list);
        std::string extensionText;
        for (size_t start = 0; start <= lowered.size();) {
            size_t comma = std::min(lowered.find(',', start), lowered.size());
            std::string_view token(lowered.data() + start, comma - start);
            start = comma + 1;
            if (token.empty()) continue;
            if (token.size() >= 2 && token.substr(0, 2) == "*." &&
                token.substr(2).find_first_of(".*?") == std::string_view::npos)
                extensions.emplace_back(token.substr(2));
            else
                patterns.emplace_back(token);
        }
    }
    bool matches(const char* name) const {
        if (!extensions.empty()) {
            if (const char* dot = std::strrchr(name, '.')) {
                std::string_view extension(dot + 1);
                for (const std::string& e : extensions)
                    if (e == extension) return true;
            }
        }
        if (!patterns.empty()) {
            std::string_view text(name);
            for (const WildcardPattern& p : patterns)
                if (p.matches(text)) return true;
            return false;
        }
        return extensions.empty();
    }
};

}  // namespace

namespace {

// The address-bar searches over the master list: each calls hit(r) for the records it
// selects, in master-list order.
class AddressSearch {
  public:
    AddressSearch(const MasterTexts& records, const FoldedPools& pools,
                  std::vector<uint32_t>& hits)
        : records_(records), pools_(pools), hits_(hits) {}

    void folder(const char* folder) {
        const std::string_view wanted(folder);
        // Folders are shared: compare each distinct offset once.
        std::unordered_map<uint32_t, bool> same;
        for (int32_t r = 0; r < records_.count; ++r) {
            const uint32_t offset = records_.folders[r];
            auto [it, fresh] = same.try_emplace(offset, false);
            if (fresh) it->second = wanted == pools_.folders().text(offset);
            if (it->second) hits_.push_back(static_cast<uint32_t>(r));
        }
    }

    // Each record tested on its own: for words too long for WordLocator.
    void eachRecord(const AddressMatcher& matcher) {
        for (int32_t r = 0; r < records_.count; ++r) {
            const uint32_t folderAt = records_.folders[r];
            if (matcher.matches(folderAt, pools_.folders().text(folderAt),
                                pools_.names().text(records_.names[r]),
                                pools_.notes().text(records_.notes[r])))
                hits_.push_back(static_cast<uint32_t>(r));
        }
    }

    void substring(const std::string& word, bool searchNotes) {
        const WordLocator locator(pools_, word, records_);
        std::vector<StringHits> notes;
        if (searchNotes) notes.emplace_back(pools_.notes(), word);
        const WildcardPattern exact("*" + word + "*");
        std::optional<std::vector<int32_t>> listed = locator.candidates(records_);
        // Notes are not in record order: a note that holds the word is looked for in them all.
        if (listed && searchNotes && notes[0].foundAny()) {
            for (int32_t r = 0; r < records_.count; ++r)
                if (notes[0].contains(records_.notes[r])) listed->push_back(r);
            std::sort(listed->begin(), listed->end());
            listed->erase(std::unique(listed->begin(), listed->end()), listed->end());
        }
        // Records come folder by folder: the last folder's length is nearly always the one
        // wanted.
        uint32_t lastFolderAt = UINT32_MAX;
        size_t folderLength = 0;
        const int32_t count = listed ? static_cast<int32_t>(listed->size()) : records_.count;
        for (int32_t i = 0; i < count; ++i) {
            const int32_t r = listed ? (*listed)[static_cast<size_t>(i)] : i;
            const uint32_t nameAt = records_.names[r];
            const uint32_t folderAt = records_.folders[r];
            bool hit = locator.inFolderOrName(folderAt, nameAt);
            if (hit) {
                if (folderAt != lastFolderAt) {
                    lastFolderAt = folderAt;
                    folderLength = std::strlen(pools_.folders().anyCase() + folderAt);
                }
                if (folderLength + pools_.names().longest() >= kLongCandidate &&
                    folderLength + std::strlen(pools_.names().anyCase() + nameAt) >= kLongCandidate)
                    hit = exact.matches(std::string(pools_.folders().text(folderAt)) +
                                        pools_.names().text(nameAt));
            }
            if (!hit && searchNotes) hit = notes[0].contains(records_.notes[r]);
            if (hit) hits_.push_back(static_cast<uint32_t>(r));
        }
    }

    void pattern(const WildcardPattern& pattern) {
        // Only records holding the pattern's longest literal, with the bytes it fixes around
        // it, can match: find those first.
        const std::string literal(pattern.longestLiteral());
        const std::vector<WildcardPattern::FixedText> around = pattern.fixedAroundLongestLiteral();
        std::optional<WordLocator> locator;
        std::optional<std::vector<int32_t>> listed;
        if (!literal.empty() && WordLocator::takes(literal)) {
            locator.emplace(pools_, literal, records_, around);
            listed = locator->candidates(records_);
        }
        std::string candidate;
        // Records come folder by folder: the folder part is kept while it stays the same.
        uint32_t lastFolderAt = UINT32_MAX;
        size_t folderLength = 0;
        const int32_t count = listed ? static_cast<int32_t>(listed->size()) : records_.count;
        for (int32_t i = 0; i < count; ++i) {
            const int32_t r = listed ? (*listed)[static_cast<size_t>(i)] : i;
            const uint32_t folderAt = records_.folders[r];
            if (locator && !locator->inFolderOrName(folderAt, records_.names[r])) continue;
            if (folderAt != lastFolderAt) {
                lastFolderAt = folderAt;
                candidate.assign(pools_.folders().text(folderAt));
                folderLength = candidate.size();
            }
            candidate.resize(folderLength);
            candidate.append(pools_.names().text(records_.names[r]));
            if (pattern.matches(candidate)) hits_.push_back(static_cast<uint32_t>(r));
        }
    }

  private:
    const MasterTexts& records_;
    const FoldedPools& pools_;
    std::vector<uint32_t>& hits_;
};

}  // namespace

bool offsetsAscend(const MasterTexts& records) {
    const auto count = static_cast<size_t>(records.count);
    return std::is_sorted(records.names, records.names + count) &&
           std::is_sorted(records.folders, records.folders + count);
}

std::vector<uint32_t> findAddressText(const MasterTexts& records, const FoldedPools& pools,
                                      const char* text) {
    std::vector<uint32_t> hits;
    AddressSearch search(records, pools, hits);
    const std::string lowered = foldedQuery(text);
    if (IsFolderName(text)) {
        search.folder(lowered.c_str());
    } else if (lowered.find_first_of("*?") == std::string::npos && !lowered.empty()) {
        if (WordLocator::takes(lowered))
            search.substring(lowered, true);
        else
            search.eachRecord(AddressMatcher(text));
    } else {
        const WildcardPattern pattern(lowered.empty() ? "**" : lowered);
        if (!pattern.isSubstring())
            search.pattern(pattern);
        else if (WordLocator::takes(pattern.substringWord()))
            search.substring(std::string(pattern.substringWord()), false);
        else
            search.eachRecord(AddressMatcher(text));
    }
    return hits;
}

CatalogSearch::CatalogSearch(Catalog& catalog, SavedSearchList& searches)
    : catalog_(catalog), searches_(searches) {}

void CatalogSearch::patternFill(int list, const char* text) {
    catalog_.setRecordCount(list, 0);
    folded_.refresh(catalog_);
    const MasterTexts records{catalog_.recordCount(kMasterList),
                              catalog_.nameColumn.segment(kMasterList),
                              catalog_.folderColumn.segment(kMasterList),
                              catalog_.noteColumn.segment(kMasterList)};
    catalog_.assignMasterRecords(list, findAddressText(records, folded_, text));
}

namespace {

// Whether an index places `word` in few blocks of `pool`, its unindexed tail short too.
bool fewBlocksHold(const FoldedText& pool, std::string_view word) {
    const TrigramIndex& index = pool.index();
    if (!index.usable(word)) return false;
    const uint64_t few = pool.size() / 16;
    const uint64_t tail = pool.size() - std::min(index.indexedSize(), pool.size());
    return tail <= few &&
           uint64_t{index.candidateBlocks(word).size()} * TrigramIndex::kBlockBytes + tail <= few;
}

}  // namespace

bool CatalogSearch::answersFromIndex(const char* text) {
    if (IsFolderName(text)) return false;
    const std::string lowered = foldedQuery(text);
    folded_.refresh(catalog_);
    const bool plain = lowered.find_first_of("*?") == std::string::npos;
    const std::string literal =
        plain ? lowered : std::string(WildcardPattern(lowered).longestLiteral());
    return fewBlocksHold(folded_.names(), literal) && fewBlocksHold(folded_.folders(), literal);
}

const FoldedPools& CatalogSearch::foldedPools() {
    folded_.refresh(catalog_);
    return folded_;
}

void CatalogSearch::refineWord(int list, const char* word) {
    folded_.refresh(catalog_);
    const AddressMatcher matcher(word);
    const int32_t count = catalog_.recordCount(list);
    int32_t n = 0;
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t folderAt = catalog_.folderOffset(list, i);
        if (matcher.matches(folderAt, folded_.folders().text(folderAt),
                            folded_.names().text(catalog_.nameOffset(list, i)),
                            folded_.notes().text(catalog_.noteOffset(list, i)))) {
            if (n != i) catalog_.copyRecord(list, n, list, i);
            ++n;
        }
    }
    catalog_.setRecordCount(list, n);
}

int CatalogSearch::runSavedSearch(int32_t index, int list) {
    if (index < 0 || index >= searches_.count()) return 0;
    const bool made = list < 0;
    if (made) list = catalog_.allocTempList(0);
    const SavedSearch search = searches_.savedSearch(index);
    runSearch(search, list);
    if (made) {
        catalog_.historyPush(list, nullptr, index, -1, 0);
        if (viewMade) viewMade(list, index, search);
        catalog_.page().viewMode = 1;
        if (showResults) showResults();
    }
    return 1;
}

void CatalogSearch::runSearch(const SavedSearch& search, int list) {
    catalog_.setRecordCount(list, 0);
    const NamePatterns names(search.texts.patterns);
    const std::string folder = foldedQuery(search.texts.folder);
    const auto [days, start, end] = search.criteria;
    const uint64_t now = currentFileTime ? currentFileTime() : 0;
    folded_.refresh(catalog_);

    const int32_t count = catalog_.recordCount(kMasterList);
    int32_t n = 0;
    for (int32_t r = 0; r < count; ++r) {
        if (!names.matches(folded_.names().text(catalog_.nameOffset(kMasterList, r)))) continue;
        if (!folder.empty() &&
            std::strncmp(folded_.folders().text(catalog_.folderOffset(kMasterList, r)), folder.c_str(),
                         folder.size()) != 0)
            continue;
        const uint64_t time = *catalog_.recordTime(kMasterList, r);
        if (start != 0 && time < start) continue;
        if (end != 0 && time > end) continue;
        if (days > 0 && now - time >= static_cast<uint64_t>(days) * kDay) continue;
        catalog_.copyRecord(list, n++, kMasterList, r);
    }
    catalog_.setRecordCount(list, n);
}

}  // namespace varnel
