#pragma once
// Whether one record is selected by an address-bar text, tested record by record on its
// folded texts: the same answer findAddressText gives for the whole master list. Narrowing a
// shown result and a view filled a slice at a time use it.
#include <cstdint>
#include <string>
#include <string_view>

#include "query/wildcard.h"

namespace varnel {

// A text as searches compare it: lower case, at most a working text's length.
std::string foldedQuery(std::string_view text);

// A word search counts a match only while the word's occurrences fit the wildcard matcher's
// table: only folder + name texts this long can break that, and those get the matcher's answer.
inline constexpr size_t kLongCandidate = 500;

class AddressMatcher {
  public:
    // `text` as typed (not a folder name): a plain word, or a pattern with `*` or `?`.
    explicit AddressMatcher(std::string_view text);

    // Folder, name and note folded; `folderAt` the folder's pool offset. Records come folder
    // by folder: whether the folder holds the word is looked at once per folder, until
    // forgetFolder (call it when the pools may have changed).
    bool matches(uint32_t folderAt, std::string_view folder, std::string_view name,
                 const char* note) const;
    void forgetFolder() const { lastFolderAt_ = UINT32_MAX; }

  private:
    bool holdsWord(uint32_t folderAt, std::string_view folder, std::string_view name) const;

    std::string word_;       // a plain word (also `*word*`); empty for a pattern
    bool searchNotes_ = false;
    WildcardPattern exact_;  // the matcher's own answer, for texts that reach its limits
    mutable std::string candidate_;
    mutable uint32_t lastFolderAt_ = UINT32_MAX;
    mutable bool folderHolds_ = false;
    // Bit k: the folder ends with the word's first k bytes (words of up to 64 bytes).
    mutable uint64_t seams_ = 0;
};

}  // namespace varnel
