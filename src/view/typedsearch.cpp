#include "view/typedsearch.h"

#include <cstring>

#include "catalog/tables.h"
#include "query/search.h"
#include "remote/ftpnames.h"
#include "view/viewrecipe.h"

namespace varnel {

namespace {

bool plainWord(const std::string& text) {
    return text.find_first_of("*?") == std::string::npos;
}

// Narrowing reads every shown record's texts, about three times what a fresh search spends a
// record (it reads the pools once, or asks the word index, then only tests offsets). Past a
// quarter of the catalog shown (after a first letter, nearly all of it), the fresh search is
// the faster one.
bool narrowingIsCheaper(int32_t shown, int32_t all) {
    return shown <= all / 4;
}

}  // namespace

TypedSearch::TypedSearch(Catalog& catalog, CatalogSearch& search)
    : catalog_(catalog), search_(search) {}

bool TypedSearch::searchable(const std::string& text) {
    return !text.empty() && text.size() < kTextSize && !IsFolderName(text.c_str()) &&
           !IsFtpName(text.c_str());
}

bool TypedSearch::active() const {
    const ViewHistory& h = catalog_.history();
    return list_ >= 0 && catalog_.currentList() == list_ && h.position == position_;
}

bool TypedSearch::show(const std::string& text) {
    if (!searchable(text)) return false;
    if (!active()) {
        list_ = catalog_.allocTempList(0);
        // A view of master-list indices from the start: results of a first letter are nearly
        // the whole catalog, too many to copy field by field.
        catalog_.setGenerationStamp(list_, catalog_.generation());
        search_.patternFill(list_, text.c_str());
        pushView(catalog_, list_, text.c_str(), -1, -1, 0);
        position_ = catalog_.history().position;
    } else if (plainWord(text) && plainWord(shown_) && text.find(shown_) != std::string::npos &&
               catalog_.generationStamp(list_) == catalog_.generation() &&
               narrowingIsCheaper(catalog_.recordCount(list_),
                                  catalog_.recordCount(kMasterList))) {
        search_.refineWord(list_, text.c_str());
    } else {
        search_.patternFill(list_, text.c_str());
    }
    shown_ = text;
    ViewHistory& h = catalog_.history();
    std::strncpy(h.address[h.position].data(), text.c_str(), kTextSize - 1);
    catalog_.setGenerationStamp(list_, catalog_.generation());
    catalog_.page().topIndex = -1;  // a new page of results, from their top
    catalog_.page().focusIndex = -1;
    catalog_.page().viewMode = 1;
    return true;
}

bool TypedSearch::cancel() {
    if (!active()) return false;
    catalog_.historyBack();
    list_ = -1;
    shown_.clear();
    return true;
}

}  // namespace varnel
