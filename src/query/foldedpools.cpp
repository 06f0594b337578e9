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
FoldedPools::Buffer allocateText(size_t size) {
    char* bytes = static_cast<char*>(std::malloc(size));
    if (!bytes) throw std::bad_alloc();
    adviseHugePages(bytes, size);
    return FoldedPools::Buffer(bytes, [](char* p) { std::free(p); });
}

}  // namespace

void FoldedPools::extend(Copy& copy, const char* from, uint32_t used) {
    if (copy.covered == 0) copy.longest = 0;
    if (size_t{used} + 1 > copy.capacity) {
        const size_t capacity = std::max(size_t{used} + 1, copy.capacity * 2);
        Buffer bytes = allocateText(capacity);
        if (copy.covered > 0) std::memcpy(bytes.get(), copy.bytes.get(), copy.covered);
        copy.bytes = std::move(bytes);
        copy.capacity = capacity;
    }
    const uint32_t bound =
        foldAscii(from + copy.covered, copy.bytes.get() + copy.covered, used - copy.covered);
    copy.longest = std::max(copy.longest, bound);
    copy.bytes.get()[used] = 0;
    copy.covered = used;
}

void FoldedPools::refresh(Catalog& catalog) {
    catalog.flushPendingStrings();
    if (rawNames_) {  // a file's texts were folded: start over
        rawNames_ = nullptr;
        namesStartTexts_ = false;
        epoch_ = UINT64_MAX;
    }
    // Pools only grow within an epoch; one that shrank was rewritten all the same.
    const bool shrank = catalog.namePool().used < names_.covered ||
                        catalog.folderPool().used < folders_.covered ||
                        catalog.notePool().used < notes_.covered;
    if (epoch_ != catalog.textEpoch() || shrank) {
        epoch_ = catalog.textEpoch();
        names_.covered = folders_.covered = notes_.covered = 0;
        names_.index = TrigramIndex{};
        folders_.index = TrigramIndex{};
        stopBuild();
    }
    extend(names_, catalog.namePool().bytes.get(), catalog.namePool().used);
    extend(folders_, catalog.folderPool().bytes.get(), catalog.folderPool().used);
    extend(notes_, catalog.notePool().bytes.get(), catalog.notePool().used);
    takeFinishedBuild(false);
    startBuildIfDue();
}

void FoldedPools::foldAll(std::string_view names, std::string_view folders,
                          std::string_view notes) {
    stopBuild();
    epoch_ = UINT64_MAX;  // whatever a catalog refresh finds next is another text
    rawNames_ = nullptr;
    namesStartTexts_ = false;
    for (Copy* copy : {&names_, &folders_, &notes_}) {
        copy->covered = 0;
        copy->index = TrigramIndex{};
    }
    extend(names_, names.data(), static_cast<uint32_t>(names.size()));
    extend(folders_, folders.data(), static_cast<uint32_t>(folders.size()));
    extend(notes_, notes.data(), static_cast<uint32_t>(notes.size()));
}

void FoldedPools::foldWithIndexes(std::string_view names, std::string_view folders,
                                  std::string_view notes, TrigramIndex nameIndex,
                                  TrigramIndex folderIndex, bool namesStartTexts) {
    foldAll(std::string_view(), folders, notes);
    const auto size = static_cast<uint32_t>(names.size());
    if (size_t{size} + 1 > names_.capacity) {
        names_.bytes = allocateText(size_t{size} + 1);
        names_.capacity = size_t{size} + 1;
    }
    names_.bytes.get()[size] = 0;
    names_.covered = size;
    names_.longest = kTextSize - 1;  // not looked at: the most a catalog's text may hold
    rawNames_ = names.data();
    namesStartTexts_ = namesStartTexts;
    foldedBlocks_.assign(size / kLazyBlock / 64 + 1, 0);
    names_.index = std::move(nameIndex);
    folders_.index = std::move(folderIndex);
}

void FoldedPools::prepareNames(uint32_t from, uint32_t to) const {
    if (!rawNames_) return;
    const uint64_t end = std::min(to, names_.covered);
    for (uint64_t block = from / kLazyBlock; block * kLazyBlock < end; ++block) {
        uint64_t& word = foldedBlocks_[block / 64];
        const uint64_t bit = uint64_t{1} << (block % 64);
        if (word & bit) continue;
        const uint64_t at = block * kLazyBlock;
        foldAscii(rawNames_ + at, names_.bytes.get() + at,
                  std::min<uint64_t>(kLazyBlock, names_.covered - at));
        word |= bit;
    }
}

const char* FoldedPools::prepareNameText(uint32_t offset) const {
    prepareNames(offset, offset + static_cast<uint32_t>(std::strlen(rawNames_ + offset)) + 1);
    return names_.bytes.get() + offset;
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
        names_.index = std::move(built.names);
        folders_.index = std::move(built.folders);
    }
}

void FoldedPools::startBuildIfDue() {
    if (!keepIndexes_ || build_.result.valid()) return;
    if (!names_.index.wantsRebuild(names_.covered) &&
        !folders_.index.wantsRebuild(folders_.covered))
        return;
    // The thread keeps the buffers alive and reads only what is folded now, which refresh
    // never writes again in this epoch.
    build_.epoch = epoch_;
    build_.stop = std::make_shared<std::atomic<bool>>(false);
    build_.result = std::async(std::launch::async, [names = names_.bytes, nameSize = names_.covered,
                                                    folders = folders_.bytes,
                                                    folderSize = folders_.covered,
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
