#pragma once
// The saved-search list: named pattern lists with a folder and a date criterion. The texts
// live in the fixed 8192-byte block that cfg.dat stores whole; the date criteria are kept
// only for the run.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "catalog/workspace.h"

namespace varnel {

struct SearchCriteria {
    int32_t days = 0;    // 0 no age limit; > 0 modified less than that many days ago; -1 a range
    uint64_t start = 0;  // 0 open; else the record's time must not be earlier
    uint64_t end = 0;    // 0 open; else the record's time must not be later
};

struct SavedSearchTexts {
    std::string name, patterns, folder;
};

// One entry whole, as a view keeps it: what it selects does not change when the list does.
struct SavedSearch {
    SavedSearchTexts texts;
    SearchCriteria criteria;
};

class SavedSearchList {
  public:
    // Works on the count and block of the settings, so saving the settings saves the list.
    SavedSearchList(int32_t& count, SavedSearchBlock& block);

    int32_t count() const { return count_; }
    std::string_view savedSearchName(int32_t i) const { return text(i, 0); }
    std::string_view savedSearchPatterns(int32_t i) const { return text(i, 1); }
    std::string_view savedSearchFolder(int32_t i) const { return text(i, 2); }
    int32_t savedSearchDays(int32_t i) const { return criteria(i).days; }
    uint64_t savedSearchStart(int32_t i) const { return criteria(i).start; }
    uint64_t savedSearchEnd(int32_t i) const { return criteria(i).end; }
    SavedSearch savedSearch(int32_t i) const {
        return {{std::string(text(i, 0)), std::string(text(i, 1)), std::string(text(i, 2))},
                criteria(i)};
    }

    // Each returns 0 and changes nothing when the texts would not fit the block.
    int addSavedSearch(std::string_view name, std::string_view patterns, std::string_view folder,
                       int32_t days, uint64_t start = 0, uint64_t end = 0);
    int modifySavedSearch(std::string_view name, std::string_view patterns, std::string_view folder,
                          int32_t days, uint64_t start = 0, uint64_t end = 0);
    int removeSavedSearch(std::string_view name, SavedSearchTexts* textsOut = nullptr,
                          SearchCriteria* criteriaOut = nullptr);
    int insertSavedSearch(const SavedSearchTexts& texts, const SearchCriteria& criteria,
                          int32_t position);
    void moveSavedSearchUp(std::string_view name);
    void moveSavedSearchDown(std::string_view name);

    // Bytes of the block in use, the final NUL included.
    size_t usedBytes() const { return offsetOf(count_) + 1; }

    // Called after every change that rewrites the result page.
    std::function<void()> onChanged;

  private:
    size_t offsetOf(int32_t entry) const;  // where entry `entry` begins
    std::string_view text(int32_t entry, int field) const;
    SearchCriteria criteria(int32_t i) const;
    int32_t findName(std::string_view name, bool ignoringCase) const;
    void removeAt(int32_t p, SavedSearchTexts* textsOut, SearchCriteria* criteriaOut);
    void moveBy(std::string_view name, int32_t step);
    void changed() {
        if (onChanged) onChanged();
    }

    int32_t& count_;
    SavedSearchBlock& block_;
    std::vector<SearchCriteria> criteria_;  // one per entry, or fewer: missing ones are 0
};

}  // namespace varnel
