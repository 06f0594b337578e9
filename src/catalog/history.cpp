#include <algorithm>

#include "catalog/tables.h"

namespace varnel {

int Catalog::currentList() const {
    if (history_.position < 0 || history_.count == 0) return -1;
    return history_.list[history_.position];
}

namespace {
void advanceHistory(ViewHistory& h, PageCursor& page) {
    page.topIndex = -1;
    h.position += 1;
    if (h.position == h.count)
        h.count += 1;
    else
        h.count = h.position + 1;
    if (h.count > kHistoryLimit) {
        auto drop = [](auto& field) { std::move(field.begin() + 1, field.end(), field.begin()); };
        drop(h.list);
        drop(h.address);
        drop(h.searchReference);
        drop(h.sortColumn);
        drop(h.sortOrder);
        h.position -= 1;
        h.count -= 1;
    }
}
}  // namespace

void Catalog::historyPush(int list, const char* addressText, int32_t searchReference,
                          int32_t sortColumn, int32_t sortOrder) {
    if (list < 0) return;
    advanceHistory(history_, page_);
    int p = history_.position;
    history_.list[p] = list;
    auto& address = history_.address[p];
    if (addressText && addressText[0]) {
        size_t length = strnlen(addressText, kTextSize - 1);
        std::memcpy(address.data(), addressText, length);
        address[length] = 0;
    } else {
        address[0] = 0;
        history_.searchReference[p] = searchReference;
    }
    history_.sortColumn[p] = sortColumn;
    history_.sortOrder[p] = sortOrder;
    page_.focusIndex = -1;
    searchResult_ = -1;
    compactLists(true);
    page_.refreshRequests++;
}

void Catalog::historyPushList(int list) {
    if (list < 0) return;
    advanceHistory(history_, page_);
    history_.list[history_.position] = list;
    page_.refreshRequests++;
    page_.focusIndex = -1;
}

int Catalog::historyForward() {
    if (history_.position + 1 < history_.count) history_.position++;
    page_.topIndex = -1;
    page_.focusIndex = -1;
    return history_.position >= 0 ? history_.list[history_.position] : -1;
}

int Catalog::historyBack() {
    if (history_.position > 0) history_.position--;
    page_.topIndex = -1;
    page_.focusIndex = -1;
    return history_.position >= 0 ? history_.list[history_.position] : -1;
}

// ---- temporary lists --------------------------------------------------------------------

int Catalog::allocTempList(int forSearch) {
    flushPendingStrings();
    for (int list = kFirstTempList; list < kListCount; ++list) {
        bool taken = false;
        for (int e = 0; e < history_.count && !taken; ++e) taken = history_.list[e] == list;
        for (int slot : scratch_) taken = taken || slot == list;
        if (taken) continue;
        setGenerationStamp(list, generation_);
        counts_[list] = 0;
        if (forSearch == 0) searchResult_ = list;
        return list;
    }
    return -1;  // cannot happen: 7 view entries and 5 scratch slots leave 88 lists free
}

int Catalog::reserveTempList() {
    int list = allocTempList(1);
    for (int& slot : scratch_) {
        if (slot == 0) {
            slot = list;
            break;
        }
    }
    return list;
}

void Catalog::releaseTempList(int list) {
    for (int& slot : scratch_) {
        if (slot == 0 || (list != 0 && slot != list)) continue;
        counts_[slot] = 0;
        stamps_[slot] = 0;
        slot = 0;
    }
}

}  // namespace varnel
