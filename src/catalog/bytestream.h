#pragma once
// Byte sources and sinks for the file readers and writers: a real file, or memory (tests and
// fuzzing read the very same code path from a buffer).
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace varnel {

class ByteSource {
  public:
    virtual ~ByteSource() = default;
    // Reads exactly `size` bytes or returns false (and reads nothing useful).
    virtual bool read(void* into, size_t size) = 0;
    // Bytes left to read.
    virtual uint64_t remaining() const = 0;

    bool readU32(uint32_t& value) {
        unsigned char b[4];
        if (!read(b, 4)) return false;
        value = uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24;
        return true;
    }
    bool readI32(int32_t& value) {
        uint32_t u;
        if (!readU32(u)) return false;
        value = static_cast<int32_t>(u);
        return true;
    }
};

class MemorySource : public ByteSource {
  public:
    explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
    bool read(void* into, size_t size) override {
        if (size > bytes_.size() - pos_) return false;
        if (size) std::memcpy(into, bytes_.data() + pos_, size);
        pos_ += size;
        return true;
    }
    uint64_t remaining() const override { return bytes_.size() - pos_; }

  private:
    std::string_view bytes_;
    size_t pos_ = 0;
};

// Reads a file through a small buffer; large reads go straight into the caller's memory.
class FileSource : public ByteSource {
  public:
    explicit FileSource(int fd, uint64_t size) : fd_(fd), left_(size) {}
    bool read(void* into, size_t size) override;
    uint64_t remaining() const override { return left_; }

  private:
    bool fill();
    int fd_;
    uint64_t left_;  // bytes of the file not yet handed out
    char buffer_[65536];
    size_t begin_ = 0, end_ = 0;
};

class ByteSink {
  public:
    virtual ~ByteSink() = default;
    virtual bool write(const void* data, size_t size) = 0;
    bool writeU32(uint32_t value) {
        unsigned char b[4] = {
            static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
            static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
        return write(b, 4);
    }
    bool writeI32(int32_t value) { return writeU32(static_cast<uint32_t>(value)); }
};

class StringSink : public ByteSink {
  public:
    bool write(const void* data, size_t size) override {
        bytes.append(static_cast<const char*>(data), size);
        return true;
    }
    std::string bytes;
};

}  // namespace varnel
