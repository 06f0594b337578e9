#pragma once
// Search as the user types into the address bar: after a pause the view shows what the text
// finds, and further typing replaces those results in the same view (no new Back step per
// key). A longer plain word narrows the shown results instead of searching the catalog again.
// Escape goes back to the view from before the typing; a folder name is only gone to on
// Return.
#include <cstdint>
#include <string>

namespace varnel {

class Catalog;
class CatalogSearch;

class TypedSearch {
  public:
    TypedSearch(Catalog& catalog, CatalogSearch& search);

    // Whether `text` is searched while it is typed: not empty, not a folder, not too long.
    static bool searchable(const std::string& text);

    // Shows what `text` finds. False, with the view as it was, when the text is not searchable.
    bool show(const std::string& text);
    // The view from before the typing comes back; false when no typed view is shown.
    bool cancel();
    // Whether the current view is the one typing made.
    bool active() const;

  private:
    Catalog& catalog_;
    CatalogSearch& search_;
    int list_ = -1;
    int32_t position_ = -1;  // the typed view's place in the view history
    std::string shown_;
};

}  // namespace varnel
