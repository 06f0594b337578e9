#include "query/slicedfill.h"

#include <algorithm>

#include "catalog/tables.h"
#include "query/search.h"

namespace varnel {

SlicedFill::SlicedFill(Catalog& catalog, CatalogSearch& search, int list, const std::string& text,
                       std::optional<std::vector<uint32_t>> among)
    : catalog_(catalog),
      search_(search),
      list_(list),
      matcher_(text),
      among_(std::move(among)),
      total_(among_ ? static_cast<int32_t>(among_->size()) : catalog.recordCount(kMasterList)),
      generation_(catalog.generation()) {
    catalog_.setRecordCount(list_, 0);
}

bool SlicedFill::step(int32_t records) {
    const FoldedPools& pools = search_.foldedPools();
    const int32_t end = static_cast<int32_t>(std::min<int64_t>(int64_t{next_} + records, total_));
    hits_.clear();
    matcher_.forgetFolder();  // the pools may have been folded anew since the last slice
    for (int32_t i = next_; i < end; ++i) {
        const int32_t r = among_ ? static_cast<int32_t>((*among_)[static_cast<size_t>(i)]) : i;
        const uint32_t folderAt = catalog_.folderOffset(kMasterList, r);
        if (matcher_.matches(folderAt, pools.folders().text(folderAt),
                             pools.names().text(catalog_.nameOffset(kMasterList, r)),
                             pools.notes().text(catalog_.noteOffset(kMasterList, r))))
            hits_.push_back(static_cast<uint32_t>(r));
    }
    next_ = end;
    catalog_.appendMasterRecords(list_, hits_);
    found_ += static_cast<int32_t>(hits_.size());
    return done();
}

}  // namespace varnel
