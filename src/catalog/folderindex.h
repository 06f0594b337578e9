#pragma once
// Finds an equal text in the folder pool in constant time, so committing the folder of a new
// record does not scan the whole pool. Maps each distinct text to the first offset holding it.
#include <cstdint>
#include <string_view>
#include <vector>

namespace varnel {

struct StringPool;

class FolderIndex {
  public:
    static constexpr uint32_t kNone = UINT32_MAX;

    void invalidate() { valid_ = false; }
    // Offset of a string equal to `text` (letter case counting), or kNone.
    uint32_t find(const StringPool& pool, std::string_view text);
    // Records a string just appended at `offset`.
    void add(const StringPool& pool, uint32_t offset, std::string_view text);

  private:
    void rebuild(const StringPool& pool);
    void insert(uint32_t offset, size_t hash);
    void growTable();

    struct Slot {
        size_t hash = 0;
        uint32_t offset = kNone;
    };
    std::vector<Slot> slots_;
    size_t entries_ = 0;
    bool valid_ = false;
};

}  // namespace varnel
