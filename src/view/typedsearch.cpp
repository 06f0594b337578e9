#include "view/typedsearch.h"

#include <cstring>

#include "catalog/tables.h"
#include "query/search.h"
#include "remote/ftpnames.h"
#include "view/viewrecipe.h"

namespace varnel {

namespace {

using Clock = std::chrono::steady_clock;

// Records tested between looks at the clock.
constexpr int32_t kStepRecords = 16384;

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

// Slice by slice, a shown result is narrowed unless it holds most of the catalog: listing its
// records would cost more than testing the few others too.
bool narrowingSlicesPay(int32_t shown, int32_t all) {
    return shown <= all / 2;
}

}  // namespace

TypedSearch::TypedSearch(Catalog& catalog, CatalogSearch& search, int32_t atOnceUpTo)
    : catalog_(catalog), search_(search), atOnceUpTo_(atOnceUpTo) {}

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
    const bool wasActive = active();
    const bool narrowable = wasActive && !filling() && plainWord(text) && plainWord(shown_) &&
                            text.find(shown_) != std::string::npos &&
                            catalog_.generationStamp(list_) == catalog_.generation();
    fill_.reset();
    fillText_ = text;
    if (!wasActive) {
        list_ = catalog_.allocTempList(0);
        // A view of master-list indices from the start: results of a first letter are nearly
        // the whole catalog, too many to copy field by field.
        catalog_.setGenerationStamp(list_, catalog_.generation());
        catalog_.setRecordCount(list_, 0);
        pushView(catalog_, list_, text.c_str(), -1, -1, 0);
        position_ = catalog_.history().position;
    }
    const int32_t shown = catalog_.recordCount(list_);
    const int32_t all = catalog_.recordCount(kMasterList);
    if (narrowable && shown > atOnceUpTo_ && narrowingSlicesPay(shown, all)) {
        std::vector<uint32_t> among(static_cast<size_t>(shown));
        for (int32_t i = 0; i < shown; ++i) among[static_cast<size_t>(i)] = catalog_.masterIndex(list_, i);
        startFill(std::move(among));
    } else if (narrowable && narrowingIsCheaper(shown, all)) {
        search_.refineWord(list_, text.c_str());
    } else if (all <= atOnceUpTo_ || search_.answersFromIndex(text.c_str())) {
        search_.patternFill(list_, text.c_str());
    } else {
        startFill(std::nullopt);
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

void TypedSearch::startFill(std::optional<std::vector<uint32_t>> among) {
    fill_.emplace(catalog_, search_, list_, fillText_, std::move(among));
    // A screenful first, or as much as a frame's time finds.
    const auto until = Clock::now() + std::chrono::milliseconds(8);
    while (!fill_->step(kStepRecords) && catalog_.recordCount(list_) < kFirstResults &&
           Clock::now() < until) {
    }
}

bool TypedSearch::fillMore(std::chrono::milliseconds budget) {
    if (!filling()) return false;
    const int list = fill_->list();
    if (catalog_.recordCount(list) != fill_->found() ||
        catalog_.generationStamp(list) != fill_->generation()) {
        // The list was emptied or given to another view (a save compacts views not shown):
        // nothing is left to find for it.
        fill_.reset();
        return false;
    }
    if (fill_->generation() != catalog_.generation()) {
        // Records were added, dropped or moved: the indices found so far may name others.
        fill_.emplace(catalog_, search_, list, fillText_);
        catalog_.setGenerationStamp(list, catalog_.generation());
    }
    const auto until = Clock::now() + budget;
    while (!fill_->step(kStepRecords) && Clock::now() < until) {
    }
    return filling();
}

void TypedSearch::finishFill() {
    while (fillMore(std::chrono::hours(1))) {
    }
}

bool TypedSearch::cancel() {
    if (!active()) return false;
    catalog_.historyBack();
    list_ = -1;
    shown_.clear();
    return true;
}

}  // namespace varnel
