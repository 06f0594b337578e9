#include "query/savedsearch.h"

#include <algorithm>
#include <cstring>

#include "catalog/tables.h"

namespace varnel {

namespace {
size_t packedSize(const SavedSearchTexts& t) {
    return t.name.size() + t.patterns.size() + t.folder.size() + 3;
}

// Texts hold no NUL: the block separates them with it.
std::string_view cutAtNul(std::string_view text) {
    return text.substr(0, text.find('\0'));
}
}  // namespace

SavedSearchList::SavedSearchList(int32_t& count, SavedSearchBlock& block)
    : count_(count), block_(block) {
    if (count_ < 0) count_ = 0;
}

size_t SavedSearchList::offsetOf(int32_t entry) const {
    size_t offset = 0;
    for (int32_t k = 0; k < 3 * entry; ++k) {
        const void* nul = std::memchr(block_.data() + offset, 0, block_.size() - offset);
        if (!nul) return block_.size() - 1;  // a broken block ends here
        offset = static_cast<size_t>(static_cast<const char*>(nul) - block_.data()) + 1;
        if (offset >= block_.size()) return block_.size() - 1;
    }
    return offset;
}

std::string_view SavedSearchList::text(int32_t entry, int field) const {
    if (entry < 0 || entry >= count_) return {};
    size_t offset = offsetOf(entry);
    for (int f = 0; f <= field; ++f) {
        const char* start = block_.data() + offset;
        size_t length = strnlen(start, block_.size() - offset);
        if (f == field) return {start, length};
        offset = std::min(offset + length + 1, block_.size() - 1);
    }
    return {};
}

SearchCriteria SavedSearchList::criteria(int32_t i) const {
    return i >= 0 && static_cast<size_t>(i) < criteria_.size() ? criteria_[static_cast<size_t>(i)]
                                                               : SearchCriteria{};
}

int32_t SavedSearchList::findName(std::string_view name, bool ignoringCase) const {
    int32_t found = -1;
    for (int32_t i = 0; i < count_; ++i) {
        std::string_view entry = savedSearchName(i);
        if (ignoringCase ? equalIgnoringCase(entry, name) : entry == name) found = i;
    }
    return found;
}

int SavedSearchList::insertSavedSearch(const SavedSearchTexts& given,
                                       const SearchCriteria& criteria, int32_t position) {
    SavedSearchTexts texts{std::string(cutAtNul(given.name)), std::string(cutAtNul(given.patterns)),
                           std::string(cutAtNul(given.folder))};
    if (position < 0 || position > count_) return 0;
    const size_t used = usedBytes(), size = packedSize(texts);
    if (used + size > block_.size()) return 0;
    const size_t at = offsetOf(position);
    char* base = block_.data();
    std::memmove(base + at + size, base + at, used - at);
    size_t offset = at;
    for (const std::string* t : {&texts.name, &texts.patterns, &texts.folder}) {
        std::memcpy(base + offset, t->data(), t->size());
        base[offset + t->size()] = 0;
        offset += t->size() + 1;
    }
    if (criteria_.size() < static_cast<size_t>(count_))
        criteria_.resize(static_cast<size_t>(count_));
    criteria_.insert(criteria_.begin() + position, criteria);
    ++count_;
    return 1;
}

int SavedSearchList::addSavedSearch(std::string_view name, std::string_view patterns,
                                    std::string_view folder, int32_t days, uint64_t start,
                                    uint64_t end) {
    if (findName(name, true) >= 0) return 0;
    if (!insertSavedSearch({std::string(name), std::string(patterns), std::string(folder)},
                           {days, start, end}, count_))
        return 0;
    changed();
    return 1;
}

void SavedSearchList::removeAt(int32_t p, SavedSearchTexts* textsOut, SearchCriteria* criteriaOut) {
    if (textsOut)
        *textsOut = {std::string(savedSearchName(p)), std::string(savedSearchPatterns(p)),
                     std::string(savedSearchFolder(p))};
    if (criteriaOut) *criteriaOut = criteria(p);
    const size_t at = offsetOf(p), next = offsetOf(p + 1), used = usedBytes();
    char* base = block_.data();
    std::memmove(base + at, base + next, used - next);
    std::memset(base + used - (next - at), 0, next - at);
    if (criteria_.size() > static_cast<size_t>(p)) criteria_.erase(criteria_.begin() + p);
    --count_;
}

int SavedSearchList::modifySavedSearch(std::string_view name, std::string_view patterns,
                                       std::string_view folder, int32_t days, uint64_t start,
                                       uint64_t end) {
    const int32_t p = findName(name, true);
    if (p < 0) return 0;
    // Take the entry out and put the new one in its place; the old one goes back when the
    // new texts do not fit.
    SavedSearchTexts old;
    SearchCriteria oldCriteria;
    removeAt(p, &old, &oldCriteria);
    if (!insertSavedSearch({std::string(name), std::string(patterns), std::string(folder)},
                           {days, start, end}, p)) {
        insertSavedSearch(old, oldCriteria, p);
        return 0;
    }
    changed();
    return 1;
}

int SavedSearchList::removeSavedSearch(std::string_view name, SavedSearchTexts* textsOut,
                                       SearchCriteria* criteriaOut) {
    const int32_t p = findName(name, false);
    if (p >= 0 && !savedSearchName(p).empty()) removeAt(p, textsOut, criteriaOut);
    changed();
    return p;
}

void SavedSearchList::moveBy(std::string_view name, int32_t step) {
    const int32_t p = findName(name, false);
    // An entry that cannot be taken out (an empty name) is not copied either.
    if (p >= 0 && !savedSearchName(p).empty()) {
        SavedSearchTexts texts;
        SearchCriteria moved;
        removeAt(p, &texts, &moved);
        insertSavedSearch(texts, moved, std::clamp(p + step, 0, count_));
    }
    changed();
}

void SavedSearchList::moveSavedSearchUp(std::string_view name) {
    moveBy(name, -1);
}

void SavedSearchList::moveSavedSearchDown(std::string_view name) {
    moveBy(name, +1);
}

}  // namespace varnel
