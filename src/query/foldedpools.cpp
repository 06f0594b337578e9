#include "query/foldedpools.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "catalog/growbuffer.h"
#include "catalog/tables.h"

namespace varnel {

FoldedPools::~FoldedPools() {
    stopBuild();
}

namespace {

// Lower-cases the ASCII letters of in[0, n) into out, eight bytes at a time: a letter is a
// byte below 0x80 whose low seven bits are at least 'A' and at most 'Z'; its 0x20 bit is set.
// Returns a bound on the length of the texts in there: from the longest run of eight-byte
// words without a NUL.
uint32_t foldAscii(const char* in, char* out, size_t n) {
    constexpr uint64_t kOnes = 0x0101010101010101ULL, kHigh = 0x8080808080808080ULL;
    size_t i = 0, run = 0, longestRun = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t x;
        std::memcpy(&x, in + i, 8);
        const uint64_t low = x & ~kHigh;
        const uint64_t atLeastA = low + (0x80 - 'A') * kOnes;
        const uint64_t aboveZ = low + (0x80 - 'Z' - 1) * kOnes;
        const uint64_t letters = atLeastA & ~aboveZ & ~x & kHigh;
        const bool holdsNul = ((x - kOnes) & ~x & kHigh) != 0;
        run = holdsNul ? 0 : run + 1;
        longestRun = std::max(longestRun, run);
        x |= letters >> 2;
        std::memcpy(out + i, &x, 8);
    }
    for (; i < n; ++i) out[i] = static_cast<char>(foldCase(static_cast<unsigned char>(in[i])));
    // A text covers its NUL-free words and parts of the two around them (or the short end).
    return static_cast<uint32_t>(std::min<size_t>((longestRun + 2) * 8, UINT32_MAX));
}

// Room for `size` bytes, in huge pages where big (see adviseHugePages).
FoldedText::Buffer allocateText(size_t size) {
    char* bytes = static_cast<char*>(std::malloc(size));
    if (!bytes) throw std::bad_alloc();
    adviseHugePages(bytes, size);
    return FoldedText::Buffer(bytes, [](char* p) { std::free(p); });
}

}  // namespace

void FoldedText::reset() {
    covered_ = 0;
    textEnds_ = ByteSet{};
    endsCovered_ = 0;
    index_ = TrigramIndex{};
    raw_ = nullptr;
    allStartTexts_ = false;
}

void FoldedText::extend(const char* from, uint32_t used) {
    if (raw_) reset();  // what was folded on demand is no copy to append to
    if (covered_ == 0) longest_ = 0;
    if (size_t{used} + 1 > capacity_) {
        const size_t capacity = std::max(size_t{used} + 1, capacity_ * 2);
        Buffer bytes = allocateText(capacity);
        if (covered_ > 0) std::memcpy(bytes.get(), bytes_.get(), covered_);
        bytes_ = std::move(bytes);
        capacity_ = capacity;
    }
    const uint32_t bound = foldAscii(from + covered_, bytes_.get() + covered_, used - covered_);
    longest_ = std::max(longest_, bound);
    bytes_.get()[used] = 0;
    covered_ = used;
}

void FoldedText::foldOnDemand(std::string_view pool, bool allStartTexts) {
    reset();
    covered_ = static_cast<uint32_t>(pool.size());
    longest_ = kTextSize - 1;  // not looked at: the most a catalog's text may hold
    raw_ = pool.data();
    allStartTexts_ = allStartTexts;
}

const char* FoldedText::foldRange(uint32_t from, uint32_t to) const {
    // The pool's own bytes end at covered_: past them, the NUL that closes a folded copy.
    const uint32_t stored = to < covered_ ? to - from + 1 : covered_ - from;
    rangeScratch_.resize(size_t{to} - from + 1);
    foldAscii(raw_ + from, rangeScratch_.data(), stored);
    if (stored <= to - from) rangeScratch_[stored] = 0;
    return rangeScratch_.data();
}

const char* FoldedText::foldText(uint32_t offset) const {
    const size_t length = std::strlen(raw_ + offset);  // the pool ends with a NUL
    textScratch_.resize(length);
    foldAscii(raw_ + offset, textScratch_.data(), length);
    return textScratch_.c_str();
}

const ByteSet& FoldedText::textEnds() const {
    const char* bytes = anyCase();
    const char* end = bytes + covered_;
    for (const char* p = bytes + endsCovered_;
         (p = static_cast<const char*>(std::memchr(p, 0, static_cast<size_t>(end - p))));
         ++p)
        if (p > bytes && p[-1] != 0) textEnds_.insert(foldCase(static_cast<unsigned char>(p[-1])));
    endsCovered_ = covered_;
    return textEnds_;
}

void FoldedPools::refresh(Catalog& catalog) {
    catalog.flushPendingStrings();
    if (names_.raw_) epoch_ = UINT64_MAX;  // a file's texts were folded: start over
    // Pools only grow within an epoch; one that shrank was rewritten all the same.
    const bool shrank = catalog.namePool().used < names_.covered_ ||
                        catalog.folderPool().used < folders_.covered_ ||
                        catalog.notePool().used < notes_.covered_;
    if (epoch_ != catalog.textEpoch() || shrank) {
        epoch_ = catalog.textEpoch();
        stopBuild();
        for (FoldedText* text : {&names_, &folders_, &notes_}) text->reset();
    }
    names_.extend(catalog.namePool().bytes.get(), catalog.namePool().used);
    folders_.extend(catalog.folderPool().bytes.get(), catalog.folderPool().used);
    notes_.extend(catalog.notePool().bytes.get(), catalog.notePool().used);
    takeFinishedBuild(false);
    startBuildIfDue();
}

void FoldedPools::foldAll(std::string_view names, std::string_view folders,
                          std::string_view notes) {
    stopBuild();
    epoch_ = UINT64_MAX;  // whatever a catalog refresh finds next is another text
    for (FoldedText* text : {&names_, &folders_, &notes_}) text->reset();
    names_.extend(names.data(), static_cast<uint32_t>(names.size()));
    folders_.extend(folders.data(), static_cast<uint32_t>(folders.size()));
    notes_.extend(notes.data(), static_cast<uint32_t>(notes.size()));
}

void FoldedPools::foldWithIndexes(std::string_view names, std::string_view folders,
                                  std::string_view notes, WordIndexes indexes) {
    foldAll(std::string_view(), std::string_view(), notes);
    names_.foldOnDemand(names, indexes.namesStartTexts);
    folders_.foldOnDemand(folders, false);
    names_.index_ = std::move(indexes.names);
    folders_.index_ = std::move(indexes.folders);
    folders_.textEnds_ = indexes.folderEnds;
    folders_.endsCovered_ = folders_.covered_;
}

void FoldedPools::finishIndexing() {
    takeFinishedBuild(true);
}

void FoldedPools::takeFinishedBuild(bool wait) {
    if (!build_.result.valid()) return;
    if (!wait && build_.result.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
        return;
    Built built = build_.result.get();
    // Built from texts of this epoch: they are still there, unchanged, below `covered`.
    if (build_.epoch == epoch_) {
        names_.index_ = std::move(built.names);
        folders_.index_ = std::move(built.folders);
    }
}

void FoldedPools::startBuildIfDue() {
    if (!keepIndexes_ || build_.result.valid()) return;
    if (!names_.index_.wantsRebuild(names_.covered_) &&
        !folders_.index_.wantsRebuild(folders_.covered_))
        return;
    // The thread keeps the buffers alive and reads only what is folded now, which refresh
    // never writes again in this epoch.
    build_.epoch = epoch_;
    build_.stop = std::make_shared<std::atomic<bool>>(false);
    build_.result = std::async(std::launch::async, [names = names_.bytes_, nameSize = names_.covered_,
                                                    folders = folders_.bytes_,
                                                    folderSize = folders_.covered_,
                                                    stop = build_.stop] {
        Built built;
        built.names = TrigramIndex::build(names.get(), nameSize, stop.get());
        built.folders = TrigramIndex::build(folders.get(), folderSize, stop.get());
        return built;
    });
}

void FoldedPools::stopBuild() {
    if (!build_.result.valid()) return;
    build_.stop->store(true);
    build_.result.wait();
    build_.result = {};
}

}  // namespace varnel
