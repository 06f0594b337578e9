#pragma once
// The hand-over between the scan's two threads: the lister walks the folders and writes one
// block per folder (its path and its files), the merger reads the blocks in the same order
// and does the catalog work. Blocks travel in large chunks under one mutex, so a file costs
// a few bytes copied and no lock; at most kMaxChunks chunks are under way, so a lister far
// ahead of the merger waits instead of filling memory.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string_view>
#include <vector>

#include "catalog/growbuffer.h"

namespace varnel {

struct ListedFile {
    std::string_view name;  // NUL-terminated
    uint32_t size = 0;
    uint64_t lastWriteTime = 0;
};

struct FolderBlock {
    std::string_view path;  // NUL-terminated
    bool unreadable = false;
    // Where the walk stood when the folder was taken: its read position and the queue's
    // used length, for the progress bar.
    uint64_t readPosition = 0;
    uint64_t queueLength = 0;
    uint32_t fileCount = 0;
    // The merger's cursor over the files.
    const char* next = nullptr;
    const char* end = nullptr;
    uint32_t remaining = 0;
};

class ScanPipe {
  public:
    static constexpr size_t kChunkSize = 1 << 20;
    static constexpr size_t kMaxChunks = 32;

    ScanPipe();
    ~ScanPipe();
    ScanPipe(const ScanPipe&) = delete;
    ScanPipe& operator=(const ScanPipe&) = delete;

    // For a walk and a merge on one thread, one after the other: the lister never waits.
    void setUnbounded() { maxChunks_ = SIZE_MAX; }

    // ---- the lister's side ----
    void beginFolder(std::string_view path, uint64_t readPosition, uint64_t queueLength);
    void addFile(std::string_view name, uint32_t size, uint64_t lastWriteTime);
    void endFolder();
    // Forgets the files added since beginFolder and sends the folder as unreadable.
    void endFolderUnreadable();
    // Hands over what is complete now, so a merger waiting on a slow listing is not idle.
    void publish();
    // Nothing more will come.
    void finish();

    // ---- the merger's side ----
    // The next folder; waits for it. False once the lister finished and all was read. The
    // block's bytes stay valid until the next call.
    bool takeFolder(FolderBlock& block);
    bool takeFile(FolderBlock& block, ListedFile& file);

  private:
    struct Chunk {
        std::unique_ptr<char[], RawDelete> bytes;
        size_t capacity = 0;
        size_t used = 0;
    };
    Chunk* newChunk(size_t capacity);
    void reserve(size_t bytes);
    void handOver(Chunk* chunk);  // with the lock not held

    // The lister's own.
    Chunk* writing_ = nullptr;
    size_t blockStart_ = 0;
    uint32_t blockFiles_ = 0;
    std::chrono::steady_clock::time_point lastHandOver_;

    // The merger's own.
    Chunk* reading_ = nullptr;
    size_t readAt_ = 0;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Chunk*> ready_;
    std::vector<Chunk*> spare_;
    size_t chunks_ = 0;  // allocated and not freed
    size_t maxChunks_ = kMaxChunks;
    bool finished_ = false;
};

}  // namespace varnel
