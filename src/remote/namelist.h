#pragma once
// NameList: NUL-terminated strings back to back in a fixed 4096-byte buffer, newest first,
// with the count of bytes in use. Hosts, user names, passwords and visited roots are kept in
// such lists, and cfg.dat stores them as they stand.
#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace varnel {

class NameList {
  public:
    static constexpr size_t kCapacity = 4096;
    // Lists are trimmed back to this many bytes, which leaves room for one more name.
    static constexpr size_t kTrimmedSize = 2048;

    // The list's bytes as cfg.dat holds them. Bytes beyond the buffer, or a last string
    // without its NUL, are left out.
    void assign(std::string_view bytes);
    std::string_view bytes() const { return {buffer_.data(), used_}; }
    size_t used() const { return used_; }
    bool empty() const { return used_ == 0; }
    void clear() { used_ = 0; }

    // Index of the first string equal to `key`, ignoring ASCII letter case; -1 when none.
    int find(std::string_view key) const;
    // The string at `index`; nullptr past the end.
    const char* get(int index) const;
    int count() const;

    // Insert a string at the front or the end. A string holding a NUL, or one that does not
    // fit in the buffer, is refused (false) and the list stays as it was.
    bool prepend(std::string_view text);
    bool append(std::string_view text);
    // Remove the first string equal to `key` (ignoring case); false when none was there.
    bool remove(std::string_view key);
    bool removeAt(int index);
    void dropLast();
    // Drops strings from the end until the list holds kTrimmedSize bytes or fewer.
    void trim();

  private:
    // Offset of string `index`, or used_ when there is none.
    size_t offsetOf(int index) const;

    std::array<char, kCapacity> buffer_{};
    size_t used_ = 0;
};

}  // namespace varnel
