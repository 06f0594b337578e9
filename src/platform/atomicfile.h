#pragma once
// Writes a file so that a crash, a kill or a full disk leaves either the old file or the
// new one, never a mixture: the bytes go to a temporary file in the same folder, which is
// flushed to disk and then renamed over the target.
#include <cstddef>
#include <string>
#include <string_view>

namespace varnel {

class AtomicFile {
  public:
    // Creates the temporary file beside `target` with the given permission bits.
    AtomicFile(std::string target, unsigned mode = 0644);
    ~AtomicFile();  // discards the temporary file unless commit() succeeded
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    bool ok() const { return fd_ >= 0 && error_.empty(); }
    // Why the file could not be written ("" while everything went well).
    const std::string& error() const { return error_; }

    bool write(const void* data, size_t size);
    bool write(std::string_view text) { return write(text.data(), text.size()); }
    // Bytes written so far.
    uint64_t offset() const { return offset_; }
    // Buffers small writes; large ones go straight through.
    bool flushBuffer();

    // Flushes to disk; when `backupPath` is not empty, the old target is first kept there
    // (a hard link, or a copy); then the new file takes the target's name. The target is
    // never missing meanwhile. Returns false (and leaves the target as it was) on failure.
    bool commit(const std::string& backupPath = {});
    // Throws the written bytes away and leaves the target untouched.
    void discard();

  private:
    bool fail(const char* what);

    std::string target_;
    std::string temp_;
    int fd_ = -1;
    uint64_t offset_ = 0;
    std::string buffer_;
    std::string error_;
};

// Writes `bytes` to `path` through an AtomicFile; returns "" or the reason it failed.
std::string writeFileAtomically(const std::string& path, std::string_view bytes,
                                unsigned mode = 0644);

}  // namespace varnel
