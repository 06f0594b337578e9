#pragma once
// A download's bytes go to a hidden file beside the target and take the target's name only
// once they are known to be complete: a cut or cancelled transfer never leaves a short file
// under the real name, and never costs the copy that was there before.
#include <string>

namespace varnel {

class PartFile {
  public:
    explicit PartFile(std::string target);
    ~PartFile();  // removes the part file unless it was committed
    PartFile(const PartFile&) = delete;
    PartFile& operator=(const PartFile&) = delete;

    bool ok() const { return fd_ >= 0 && error_.empty(); }
    const std::string& error() const { return error_; }
    bool write(const char* data, size_t size);
    // The part file's descriptor, for copies done by the kernel (what write() buffered is
    // flushed first); -1 when the file is not usable.
    int descriptor();
    // Closes the part file and renames it over the target.
    bool commit();

  private:
    bool fail(const char* what);
    bool flush();
    void discard();

    std::string target_;
    std::string part_;
    int fd_ = -1;
    std::string buffer_;  // small writes gather here
    std::string error_;
};

}  // namespace varnel
