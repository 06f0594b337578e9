#pragma once
// A view of the master list filled with what an address text selects a slice of records at a
// time, so that a window shows the first results at once and finds the rest between events.
// Each slice appends to the list, in master-list order; the whole equals patternFill's.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "query/addressmatcher.h"

namespace varnel {

class Catalog;
class CatalogSearch;

class SlicedFill {
  public:
    // Empties `list`. The records tested are the whole master list, or `among` (master
    // indices, ascending: a result that a shorter word selected).
    SlicedFill(Catalog& catalog, CatalogSearch& search, int list, const std::string& text,
               std::optional<std::vector<uint32_t>> among = std::nullopt);

    // Tests up to `records` more records; true when every record has been tested.
    bool step(int32_t records);
    bool done() const { return next_ >= total_; }
    int list() const { return list_; }
    // How many records the fill has put into the list.
    int32_t found() const { return found_; }
    // The catalog's generation the fill started in: its master indices hold only while that
    // stays.
    int32_t generation() const { return generation_; }

  private:
    Catalog& catalog_;
    CatalogSearch& search_;
    int list_;
    AddressMatcher matcher_;
    std::optional<std::vector<uint32_t>> among_;
    int32_t total_;
    int32_t next_ = 0;
    int32_t found_ = 0;
    int32_t generation_;
    std::vector<uint32_t> hits_;
};

}  // namespace varnel
