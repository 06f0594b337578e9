#include "query/addressmatcher.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "catalog/tables.h"

namespace varnel {

std::string foldedQuery(std::string_view text) {
    std::string out(text.substr(0, kTextSize - 1));
    for (char& c : out) c = static_cast<char>(foldCase(static_cast<unsigned char>(c)));
    return out;
}

namespace {

bool plainWord(std::string_view text) { return text.find_first_of("*?") == std::string_view::npos; }

}  // namespace

AddressMatcher::AddressMatcher(std::string_view text)
    : exact_(plainWord(text) && !text.empty() ? "*" + foldedQuery(text) + "*"
                                              : (text.empty() ? "**" : foldedQuery(text))) {
    const std::string lowered = foldedQuery(text);
    if (!lowered.empty() && plainWord(lowered)) {
        word_ = lowered;
        searchNotes_ = true;
    } else if (exact_.isSubstring()) {
        word_ = exact_.substringWord();
    }
}

bool AddressMatcher::holdsWord(uint32_t folderAt, std::string_view folder,
                               std::string_view name) const {
    const std::string_view word(word_);
    const size_t reach = word.size() - 1;  // bytes of the word that may lie on either side
    if (folderAt != lastFolderAt_) {
        lastFolderAt_ = folderAt;
        folderHolds_ = folder.find(word) != std::string_view::npos;
        seams_ = 0;
        for (size_t k = 1; k <= std::min(reach, folder.size()) && k < 64; ++k)
            if (folder.ends_with(word.substr(0, k))) seams_ |= uint64_t{1} << k;
    }
    if (folderHolds_ || name.find(word) != std::string_view::npos) return true;
    if (reach < 64) {
        for (uint64_t seams = seams_; seams; seams &= seams - 1)
            if (name.starts_with(word.substr(static_cast<size_t>(std::countr_zero(seams)))))
                return true;
        return false;
    }
    // Across the seam of a long word: the folder's last bytes and the name's first ones.
    if (folder.empty() || name.empty()) return false;
    candidate_.assign(folder.substr(folder.size() - std::min(reach, folder.size())));
    candidate_.append(name.substr(0, std::min(reach, name.size())));
    return candidate_.find(word) != std::string::npos;
}

bool AddressMatcher::matches(uint32_t folderAt, std::string_view folder, std::string_view name,
                             const char* note) const {
    if (word_.empty() || folder.size() + name.size() >= kLongCandidate) {
        candidate_.assign(folder);
        candidate_.append(name);
        if (exact_.matches(candidate_)) return true;
    } else if (holdsWord(folderAt, folder, name)) {
        return true;
    }
    return searchNotes_ && std::strstr(note, word_.c_str()) != nullptr;
}

}  // namespace varnel
