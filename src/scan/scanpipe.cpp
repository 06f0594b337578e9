#include "scan/scanpipe.h"

#include <cstring>

namespace varnel {

namespace {

// Block: u8 flags, u32 block bytes, u32 file count, u64 read position, u64 queue length,
// u16 path length, the path and a NUL; then per file u32 size, u64 time, u16 name length,
// the name and a NUL. Fields are copied with memcpy: nothing here is aligned.
constexpr size_t kFlagsAt = 0;
constexpr size_t kBytesAt = 1;
constexpr size_t kCountAt = 5;
constexpr size_t kPositionAt = 9;
constexpr size_t kQueueAt = 17;
constexpr size_t kPathLengthAt = 25;
constexpr size_t kHeaderSize = 27;
constexpr size_t kFileHeaderSize = 14;
constexpr uint8_t kUnreadable = 1;

// A hand-over at least this often while the lister works, so progress keeps moving.
constexpr auto kHandOverEvery = std::chrono::milliseconds(20);

template <class T>
void put(char* at, T value) {
    std::memcpy(at, &value, sizeof value);
}

template <class T>
T get(const char* at) {
    T value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

}  // namespace

ScanPipe::ScanPipe() : lastHandOver_(std::chrono::steady_clock::now()) {
    writing_ = newChunk(kChunkSize);
}

ScanPipe::~ScanPipe() {
    delete writing_;
    delete reading_;
    for (Chunk* c : ready_) delete c;
    for (Chunk* c : spare_) delete c;
}

ScanPipe::Chunk* ScanPipe::newChunk(size_t capacity) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return !spare_.empty() || chunks_ < maxChunks_; });
    Chunk* chunk;
    if (!spare_.empty()) {
        chunk = spare_.back();
        spare_.pop_back();
    } else {
        chunk = new Chunk;
        ++chunks_;
    }
    lock.unlock();
    if (chunk->capacity < capacity) {
        chunk->bytes.reset(static_cast<char*>(allocateRetrying(capacity)));
        chunk->capacity = capacity;
    }
    chunk->used = 0;
    return chunk;
}

void ScanPipe::handOver(Chunk* chunk) {
    {
        std::lock_guard lock(mutex_);
        if (chunk->used == 0)
            spare_.push_back(chunk);
        else
            ready_.push_back(chunk);
    }
    changed_.notify_all();
    lastHandOver_ = std::chrono::steady_clock::now();
}

void ScanPipe::reserve(size_t bytes) {
    if (writing_->used + bytes <= writing_->capacity) return;
    // The folder under way moves to a fresh chunk; the complete blocks before it go.
    const size_t partial = writing_->used - blockStart_;
    const size_t wanted = 2 * (partial + bytes);
    Chunk* fresh = newChunk(wanted > kChunkSize ? wanted : kChunkSize);
    std::memcpy(fresh->bytes.get(), writing_->bytes.get() + blockStart_, partial);
    fresh->used = partial;
    writing_->used = blockStart_;
    handOver(writing_);
    writing_ = fresh;
    blockStart_ = 0;
}

void ScanPipe::beginFolder(std::string_view path, uint64_t readPosition, uint64_t queueLength) {
    reserve(kHeaderSize + path.size() + 1);
    blockStart_ = writing_->used;
    char* at = writing_->bytes.get() + blockStart_;
    put<uint8_t>(at + kFlagsAt, 0);
    put<uint32_t>(at + kBytesAt, 0);
    put<uint32_t>(at + kCountAt, 0);
    put<uint64_t>(at + kPositionAt, readPosition);
    put<uint64_t>(at + kQueueAt, queueLength);
    put<uint16_t>(at + kPathLengthAt, static_cast<uint16_t>(path.size()));
    std::memcpy(at + kHeaderSize, path.data(), path.size());
    at[kHeaderSize + path.size()] = 0;
    writing_->used += kHeaderSize + path.size() + 1;
    blockFiles_ = 0;
}

void ScanPipe::addFile(std::string_view name, uint32_t size, uint64_t lastWriteTime) {
    reserve(kFileHeaderSize + name.size() + 1);
    char* at = writing_->bytes.get() + writing_->used;
    put<uint32_t>(at, size);
    put<uint64_t>(at + 4, lastWriteTime);
    put<uint16_t>(at + 12, static_cast<uint16_t>(name.size()));
    std::memcpy(at + kFileHeaderSize, name.data(), name.size());
    at[kFileHeaderSize + name.size()] = 0;
    writing_->used += kFileHeaderSize + name.size() + 1;
    ++blockFiles_;
}

void ScanPipe::endFolder() {
    char* at = writing_->bytes.get() + blockStart_;
    put<uint32_t>(at + kBytesAt, static_cast<uint32_t>(writing_->used - blockStart_));
    put<uint32_t>(at + kCountAt, blockFiles_);
    blockStart_ = writing_->used;
    if (std::chrono::steady_clock::now() - lastHandOver_ >= kHandOverEvery) publish();
}

void ScanPipe::endFolderUnreadable() {
    char* at = writing_->bytes.get() + blockStart_;
    put<uint8_t>(at + kFlagsAt, kUnreadable);
    writing_->used = blockStart_ + kHeaderSize + get<uint16_t>(at + kPathLengthAt) + 1;
    blockFiles_ = 0;
    endFolder();
}

void ScanPipe::publish() {
    if (writing_->used == 0 || writing_->used != blockStart_) return;
    Chunk* full = writing_;
    writing_ = newChunk(kChunkSize);
    blockStart_ = 0;
    handOver(full);
}

void ScanPipe::finish() {
    publish();
    {
        std::lock_guard lock(mutex_);
        finished_ = true;
    }
    changed_.notify_all();
}

bool ScanPipe::takeFolder(FolderBlock& block) {
    for (;;) {
        while (!reading_ || readAt_ >= reading_->used) {
            std::unique_lock lock(mutex_);
            if (reading_) spare_.push_back(reading_);
            reading_ = nullptr;
            changed_.notify_all();
            changed_.wait(lock, [&] { return !ready_.empty() || finished_; });
            if (ready_.empty()) return false;
            reading_ = ready_.front();
            ready_.pop_front();
            readAt_ = 0;
        }
        const char* at = reading_->bytes.get() + readAt_;
        const size_t left = reading_->used - readAt_;
        const uint32_t bytes = left >= kHeaderSize ? get<uint32_t>(at + kBytesAt) : 0;
        const uint16_t pathLength = left >= kHeaderSize ? get<uint16_t>(at + kPathLengthAt) : 0;
        if (bytes < kHeaderSize + pathLength + 1u || bytes > left) {
            // Cannot happen with blocks written above; never read past the chunk.
            readAt_ = reading_->used;
            continue;
        }
        block.path = std::string_view(at + kHeaderSize, pathLength);
        block.unreadable = (get<uint8_t>(at + kFlagsAt) & kUnreadable) != 0;
        block.readPosition = get<uint64_t>(at + kPositionAt);
        block.queueLength = get<uint64_t>(at + kQueueAt);
        block.fileCount = block.remaining = get<uint32_t>(at + kCountAt);
        block.next = at + kHeaderSize + pathLength + 1;
        block.end = at + bytes;
        readAt_ += bytes;
        return true;
    }
}

bool ScanPipe::takeFile(FolderBlock& block, ListedFile& file) {
    if (block.remaining == 0 || block.end - block.next < ptrdiff_t(kFileHeaderSize) + 1)
        return false;
    --block.remaining;
    const char* at = block.next;
    const uint16_t length = get<uint16_t>(at + 12);
    if (block.end - at < ptrdiff_t(kFileHeaderSize + length + 1)) return false;
    file.size = get<uint32_t>(at);
    file.lastWriteTime = get<uint64_t>(at + 4);
    file.name = std::string_view(at + kFileHeaderSize, length);
    block.next = at + kFileHeaderSize + length + 1;
    return true;
}

}  // namespace varnel
