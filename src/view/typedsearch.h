#pragma once
// Search as the user types into the address bar: after a pause the view shows what the text
// finds, and further typing replaces those results in the same view (no new Back step per
// key). A longer plain word narrows the shown results instead of searching the catalog again.
// Escape goes back to the view from before the typing; a folder name is only gone to on
// Return.
//
// A search that would read much of a big catalog shows its first screenful at once and finds
// the rest a slice at a time (fillMore), between the window's events.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "query/slicedfill.h"

namespace varnel {

class Catalog;
class CatalogSearch;

class TypedSearch {
  public:
    // Searches that test no more records than this are made at once.
    static constexpr int32_t kAtOnceUpTo = 200'000;
    // Results shown before show() returns, when there are that many: a screenful.
    static constexpr int32_t kFirstResults = 256;

    TypedSearch(Catalog& catalog, CatalogSearch& search, int32_t atOnceUpTo = kAtOnceUpTo);

    // Searches that test more records than this are filled a slice at a time.
    void setAtOnceUpTo(int32_t records) { atOnceUpTo_ = records; }

    // Whether `text` is searched while it is typed: not empty, not a folder, not too long.
    static bool searchable(const std::string& text);

    // Shows what `text` finds (at least its first results). False, with the view as it was,
    // when the text is not searchable.
    bool show(const std::string& text);
    // The view from before the typing comes back; false when no typed view is shown. Results
    // still being found go on being found, for Forward.
    bool cancel();
    // Whether the current view is the one typing made.
    bool active() const;

    // Whether some records are still to be tested for the last text shown.
    bool filling() const { return fill_ && !fill_->done(); }
    // Tests records for about `budget`; whether some are still left. A catalog changed
    // meanwhile is searched again from its start.
    bool fillMore(std::chrono::milliseconds budget);
    // Finds the rest at once: before anything else reads or changes the typed view.
    void finishFill();

  private:
    void startFill(std::optional<std::vector<uint32_t>> among);

    Catalog& catalog_;
    CatalogSearch& search_;
    int32_t atOnceUpTo_;
    int list_ = -1;
    int32_t position_ = -1;  // the typed view's place in the view history
    std::string shown_;
    std::optional<SlicedFill> fill_;
    std::string fillText_;
};

}  // namespace varnel
