#include "catalog/folderindex.h"

#include <cstring>
#include <functional>

#include "catalog/tables.h"

namespace varnel {

namespace {
size_t hashText(std::string_view text) {
    return std::hash<std::string_view>{}(text);
}

std::string_view textAt(const StringPool& pool, uint32_t offset) {
    const char* p = pool.at(offset);
    const void* end = std::memchr(p, 0, pool.used - offset);
    return {p, end ? static_cast<size_t>(static_cast<const char*>(end) - p) : pool.used - offset};
}
}  // namespace

void FolderIndex::rebuild(const StringPool& pool) {
    slots_.assign(1024, Slot{});
    entries_ = 0;
    valid_ = true;
    for (uint32_t offset = 0; offset < pool.used;) {
        std::string_view text = textAt(pool, offset);
        if (find(pool, text) == kNone) insert(offset, hashText(text));
        offset += static_cast<uint32_t>(text.size()) + 1;
    }
}

uint32_t FolderIndex::find(const StringPool& pool, std::string_view text) {
    if (!valid_) rebuild(pool);
    size_t hash = hashText(text);
    size_t mask = slots_.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot& slot = slots_[i];
        if (slot.offset == kNone) return kNone;
        if (slot.hash == hash && textAt(pool, slot.offset) == text) return slot.offset;
    }
}

void FolderIndex::add(const StringPool& pool, uint32_t offset, std::string_view text) {
    if (!valid_) {
        rebuild(pool);  // the new string is in the pool already
        return;
    }
    insert(offset, hashText(text));
}

void FolderIndex::insert(uint32_t offset, size_t hash) {
    if ((entries_ + 1) * 4 > slots_.size() * 3) growTable();
    size_t mask = slots_.size() - 1;
    size_t i = hash & mask;
    while (slots_[i].offset != kNone) i = (i + 1) & mask;
    slots_[i] = {hash, offset};
    ++entries_;
}

void FolderIndex::growTable() {
    std::vector<Slot> old(slots_.size() * 2);
    old.swap(slots_);
    size_t mask = slots_.size() - 1;
    for (const Slot& slot : old) {
        if (slot.offset == kNone) continue;
        size_t i = slot.hash & mask;
        while (slots_[i].offset != kNone) i = (i + 1) & mask;
        slots_[i] = slot;
    }
}

}  // namespace varnel
