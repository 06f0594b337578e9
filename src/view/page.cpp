#include "view/page.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "catalog/identity.h"
#include "catalog/sort.h"
#include "catalog/tables.h"
#include "platform/filetime.h"
#include "query/lists.h"
#include "query/search.h"
#include "remote/ftpnames.h"
#include "remote/mirrorpaths.h"
#include "view/pagetitle.h"

namespace varnel {

std::string groupedNumber(uint64_t value) {
    const std::string digits = std::to_string(value);
    std::string out;
    out.reserve(digits.size() + digits.size() / 3);
    for (size_t k = 0; k < digits.size(); ++k) {
        if (k != 0 && k % 3 == digits.size() % 3) out.push_back(',');
        out.push_back(digits[k]);
    }
    return out;
}

std::string sizeText(uint32_t size) {
    return groupedNumber(size);
}

std::string timeText(uint64_t fileTime) {
    const timespec ts = timespecFromFileTime(fileTime);
    const time_t seconds = ts.tv_sec;
    tm local{};
    if (!localtime_r(&seconds, &local)) return {};
    char text[64];
    std::snprintf(text, sizeof text, "%d-%02d-%02d  %02d:%02d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min);
    return text;
}

// Where an FTP file's bytes may be read: the copy the preview fetched into the mirror folder,
// and nowhere else ("" when there is none). A local file is read where it is.
std::string FilePage::localCopyOf(const std::string& path) const {
    if (!IsFtpName(path.c_str())) return path;
    std::string mirror;
    if (programDir.empty() || !MirrorPathOf(programDir, path, mirror)) return {};
    return mirror;
}

FilePage::FilePage(Catalog& catalog, CatalogSearch& search, PageScreen& screen)
    : catalog_(catalog), search_(search), screen_(screen) {
    // A search's view is filled again by the search itself, not by whatever stands at its
    // position in the list by then.
    search_.viewMade = [this](int list, int32_t index, const SavedSearch& made) {
        recipes_.remember(list, index, made);
    };
}

int FilePage::pageSizeFor(int listHeight, int rowHeight) {
    if (rowHeight <= 0 || listHeight <= 0) return 0;
    return std::clamp(listHeight / rowHeight - 2, 0, kMaxPageRows);
}

void FilePage::resetRows(int pageSize) {
    pageSize_ = std::clamp(pageSize, 0, kMaxPageRows);
    for (auto& row : cache_)
        for (auto& cell : row) cell.clear();
}

int32_t FilePage::topIndex() const {
    return catalog_.page().topIndex;
}
void FilePage::setTopIndex(int32_t top) {
    catalog_.page().topIndex = top;
}
int32_t FilePage::focusIndex() const {
    return catalog_.page().focusIndex;
}

void FilePage::sortThroughTemp(int list, int32_t column, int32_t order) {
    const int temp = catalog_.reserveTempList();
    SortRecordList(catalog_, temp, list, column, order);
    catalog_.copyList(list, temp);
    catalog_.releaseTempList(temp);
}

// A view filled from the catalog as it was is filled again once the catalog has changed.
bool FilePage::rebuildStaleView() {
    const int list = catalog_.currentList();
    const int32_t stamp = catalog_.generationStamp(list);
    if (stamp == 0 || stamp >= catalog_.generation()) return true;
    const ViewHistory& h = catalog_.history();
    const int p = h.position;
    const std::string address(h.address[p].data());
    const int32_t column = h.sortColumn[p];
    const int32_t order = h.sortOrder[p];
    if (const ColumnFilter* filter = recipes_.currentFilter(catalog_)) {
        fillColumnFilter(catalog_, list, *filter);
        if (column >= 0) sortThroughTemp(list, column, order);
    } else if (!address.empty()) {
        if (address != "*") search_.patternFill(list, address.c_str());
        if (column >= 0) {
            if (address == "*")
                SortRecordList(catalog_, list, kMasterList, column, order);
            else
                sortThroughTemp(list, column, order);
        }
    } else {
        if (const SavedSearch* made = recipes_.currentSearch(catalog_))
            search_.runSearch(*made, list);
        else if (h.searchReference[p] >= 0)
            search_.runSavedSearch(h.searchReference[p], list);
        else
            return false;
        if (column >= 0) sortThroughTemp(list, column, order);
    }
    catalog_.setGenerationStamp(list, catalog_.generation());
    return true;
}

void FilePage::locateSelection() {
    PageCursor& page = catalog_.page();
    if (page.topIndex != -1) return;
    const int list = catalog_.currentList();
    for (int32_t s = 0; s < catalog_.recordCount(kSelectionList); ++s) {
        const int32_t found = catalog_.findSameFile(list, kSelectionList, s);
        if (found >= 0) {
            page.topIndex = std::max(found - pageSize_ / 2, 0);
            page.focusIndex = page.topIndex;
            return;
        }
    }
    page.topIndex = 0;
    catalog_.setRecordCount(kSelectionList, 0);
    selectionTotal_ = 0;
}

void FilePage::writeCell(int row, int column, const std::string& text) {
    std::string& cached = cache_[row][column];
    if (cached == text) return;
    cached = text;
    screen_.setCell(row, column, text);
}

void FilePage::fillRow(int row, int32_t i) {
    const int list = catalog_.currentList();
    const bool selected = isSelected(list, i);
    const std::string name = catalog_.recordName(list, i);
    std::string folder = catalog_.recordFolder(list, i);

    if (cache_[row][kColName] != name) {
        const std::string fullPath = folder + name;
        cache_[row][kColName] = name;
        screen_.setCell(row, kColName, name);
        // The type is asked for by name only: an FTP file's name stands alone.
        std::string_view shellName = fullPath;
        if (IsFtpName(fullPath.c_str())) {
            const size_t cut = fullPath.rfind('\\');
            shellName = std::string_view(fullPath).substr(cut == std::string::npos ? 0 : cut + 1);
        }
        const std::string type = screen_.setRowType(row, shellName);
        cache_[row][kColType] = type;
        screen_.setCell(row, kColType, type);
    }

    if (IsFtpName(folder.c_str())) SwapFtpSeparators(folder);
    writeCell(row, kColPath, folder);

    if (catalog_.recordNoteText(list, i)[0] == '\0') {
        std::string title;
        if (extensionInList(name.c_str(), "htm,html"))
            title = ReadPageTitle(localCopyOf(catalog_.recordFolder(list, i) + name));
        if (title.empty()) title = " ";
        // A view over the master list knows its record there; only copies must search.
        const int32_t master = list == kMasterList || catalog_.isDerived(list)
                                   ? static_cast<int32_t>(catalog_.masterIndex(list, i))
                                   : catalog_.findSameFile(kMasterList, list, i);
        if (master >= 0) catalog_.writeRecordNote(kMasterList, master, title);
    }
    writeCell(row, kColNote, catalog_.recordNoteText(list, i));
    writeCell(row, kColTime, timeText(*catalog_.recordTime(list, i)));
    writeCell(row, kColSize, sizeText(*catalog_.recordSize(list, i)));
    screen_.setRowSelected(row, selected);
}

// The selection list may hold a million records: a full search for every row of every
// refresh would stall scrolling, while a range selected in view order is found in one step.
bool FilePage::isSelected(int list, int32_t i) {
    const int32_t count = catalog_.recordCount(kSelectionList);
    if (count == 0) return false;
    const int64_t guess = int64_t{i} + selectionShift_;
    if (guess >= 0 && guess < count &&
        catalog_.sameFile(kSelectionList, static_cast<int32_t>(guess), list, i))
        return true;
    const int32_t found = catalog_.findSameFile(kSelectionList, list, i);
    if (found < 0) return false;
    selectionShift_ = found - i;
    return true;
}

void FilePage::clearRow(int row) {
    for (int c = 0; c < kPageColumns; ++c) {
        if (!cache_[row][c].empty()) screen_.setCell(row, c, "");
        cache_[row][c].clear();
    }
    screen_.setRowSelected(row, false);
    screen_.clearRowIcon(row);
}

void FilePage::RefreshPage(bool updatePreview) {
    if (catalogHeld()) {
        refreshCountdown = std::max(refreshCountdown, 0);
        return;
    }
    const int list = catalog_.currentList();
    if (list < 0) {
        if (screen_.rowCount() < pageSize_) screen_.ensureRows(pageSize_);
        return;
    }
    if (!rebuildStaleView()) return;
    locateSelection();
    if (screen_.rowCount() < pageSize_) screen_.ensureRows(pageSize_);

    PageCursor& page = catalog_.page();
    const int32_t count = catalog_.recordCount(list);
    const int32_t top = page.topIndex;
    if (page.viewMode == 1) {
        for (int row = 0; row < pageSize_ && row < count; ++row) {
            const int32_t i = top + row;
            if (i < 0 || i >= count) continue;
            fillRow(row, i);
        }
    }
    for (int64_t row = std::max<int64_t>(int64_t{count} - top, 0); row < pageSize_; ++row)
        clearRow(static_cast<int>(row));

    scrollPosition_ = top;
    screen_.setScrollBar(count, top);

    if (updatePreview && (sidePreview || page.viewMode == 2) &&
        catalog_.recordCount(kSelectionList) > 0) {
        std::string path = std::string(catalog_.recordFolder(kSelectionList, 0)) +
                           catalog_.recordName(kSelectionList, 0);
        if (!samePathText(path, lastPreviewed_) && (page.viewMode == 1 || page.viewMode == 2)) {
            lastPreviewed_ = path;
            SwapFtpSeparators(path);
            screen_.preview(path);
        }
    }

    writeStatus();

    if (!updatePreview) return;
    std::string address;
    if (page.focusIndex >= 0 && page.focusIndex < count &&
        catalog_.recordCount(kSelectionList) == 1) {
        address = catalog_.recordFolder(kSelectionList, 0);
        if (page.viewMode == 2) address += catalog_.recordName(kSelectionList, 0);
        SwapFtpSeparators(address);
    } else {
        address = viewAddress();
    }
    screen_.setAddress(address);
}

std::string FilePage::viewAddress() const {
    const int list = catalog_.currentList();
    if (list < 0) return {};
    // The master list's entry is pushed without an address; its slot may hold an old one.
    if (list == kMasterList) return "*";
    const ViewHistory& h = catalog_.history();
    std::string address = h.address[h.position].data();
    SwapFtpSeparators(address);
    return address;
}

void FilePage::writeStatus() {
    const int list = catalog_.currentList();
    const int32_t selected = catalog_.recordCount(kSelectionList);
    char text[kTextSize + 64];
    if (list == kShareList) {
        if (sharedCount < 0) {
            const uint64_t now = currentFileTime ? currentFileTime() : 0;
            sharedCount = 0;
            for (int32_t i = 0; i < catalog_.recordCount(kShareList); ++i)
                sharedCount += *catalog_.recordTime(kShareList, i) > now;
        }
        std::snprintf(text, sizeof text, "current share file:%d\r\n", sharedCount);
    } else if (!findName.empty()) {
        std::snprintf(text, sizeof text, "Find file name:%s", findName.c_str());
    } else if (selected > 0) {
        std::snprintf(text, sizeof text, "Select %d file,total size:%s", selected,
                      groupedNumber(selectionTotal_).c_str());
    } else {
        const ViewHistory& h = catalog_.history();
        const char* address = h.address[h.position].data();
        const bool fresh = address[0] != '\0' && isNewDownload && isNewDownload(address);
        std::snprintf(text, sizeof text, "file listed%s:%d", fresh ? "(NEW)" : "",
                      catalog_.recordCount(list));
    }
    if (catalog_.page().viewMode != 1 || status_ == text) return;
    status_ = text;
    screen_.setStatus(status_);
}

void FilePage::scroll(ScrollCode code, int trackPosition) {
    const int list = catalog_.currentList();
    if (list < 0) return;
    PageCursor& page = catalog_.page();
    const int p = scrollPosition_;
    switch (code) {
        case ScrollCode::LineUp:
            page.topIndex -= 1;
            break;
        case ScrollCode::LineDown:
            page.topIndex += 1;
            break;
        case ScrollCode::PageUp:
            page.topIndex = p - pageSize_ + 1;
            break;
        case ScrollCode::PageDown:
            page.topIndex = p + pageSize_ - 1;
            break;
        case ScrollCode::ThumbTrack:
            page.topIndex = trackPosition;
            break;
        default:
            break;
    }
    const int32_t count = catalog_.recordCount(list);
    if (page.topIndex >= count) page.topIndex = count - pageSize_;
    if (page.topIndex < 0) page.topIndex = 0;
    scrollPosition_ = page.topIndex;
    requestRefresh();
}

void FilePage::SelectRow(int row, bool shift, bool ctrl) {
    const int list = catalog_.currentList();
    PageCursor& page = catalog_.page();
    const int64_t wide = int64_t{page.topIndex} + row;
    if (list >= 0 && wide >= 0 && wide < catalog_.recordCount(list)) {
        const int32_t i = static_cast<int32_t>(wide);
        page.focusIndex = i;
        if (shift && anchor_ >= 0 && rangeEnd_ >= 0) {
            rangeEnd_ = i;
            catalog_.setRecordCount(kSelectionList, 0);
            const int32_t from = std::min(anchor_, i), to = std::max(anchor_, i);
            for (int32_t k = from; k <= to && k < catalog_.recordCount(list); ++k) {
                catalog_.copyRecord(kSelectionList, k - from, list, k);
                catalog_.setRecordCount(kSelectionList, k - from + 1);
            }
        } else if (ctrl) {
            anchor_ = rangeEnd_ = i;
            const int32_t n = catalog_.recordCount(kSelectionList);
            const int32_t at = catalog_.findEqualRecord(kSelectionList, list, i);
            if (at < 0) {
                catalog_.copyRecord(kSelectionList, n, list, i);
                catalog_.setRecordCount(kSelectionList, n + 1);
            } else {
                catalog_.copyRecord(kSelectionList, at, kSelectionList, n - 1);
                catalog_.setRecordCount(kSelectionList, n - 1);
            }
        } else {
            anchor_ = rangeEnd_ = i;
            catalog_.copyRecord(kSelectionList, 0, list, i);
            catalog_.setRecordCount(kSelectionList, 1);
        }
    }
    selectionTotal_ = catalog_.selectionTotal();
    requestRefresh();
}

void FilePage::clearSelection() {
    catalog_.setRecordCount(kSelectionList, 0);
    selectionTotal_ = 0;
    requestRefresh();
}

void FilePage::selectAll() {
    const int list = catalog_.currentList();
    if (list < 0) return;
    anchor_ = 0;
    SelectRow(catalog_.recordCount(list) - 1 - catalog_.page().topIndex, true, false);
}

void FilePage::moveFocus(int step, bool shift) {
    const int list = catalog_.currentList();
    if (list < 0) return;
    PageCursor& page = catalog_.page();
    const int32_t target = std::max(page.focusIndex + step, 0);
    if (target < page.topIndex) page.topIndex -= 1;
    if (target >= page.topIndex + pageSize_) page.topIndex += 1;
    SelectRow(target - page.topIndex, shift, false);
}

int FilePage::keyMove(Key key, bool shift) {
    const int list = catalog_.currentList();
    if (list < 0) return -1;
    PageCursor& page = catalog_.page();
    const int32_t count = catalog_.recordCount(list);
    int slow = -1;
    switch (key) {
        case Key::PageUp: {
            int32_t target =
                page.focusIndex == page.topIndex ? page.topIndex - pageSize_ + 1 : page.topIndex;
            page.topIndex = std::max(target, 0);
            SelectRow(0, shift, false);
            break;
        }
        case Key::PageDown: {
            int32_t target = page.topIndex + pageSize_ - 1;
            if (page.focusIndex == target) target = page.focusIndex + pageSize_ - 1;
            page.topIndex = target - pageSize_ + 1;
            target = std::max(std::min(target, count - 1), 0);
            SelectRow(target - page.topIndex, shift, false);
            break;
        }
        case Key::Home:
            page.topIndex = 0;
            SelectRow(0, shift, false);
            slow = 2;
            break;
        case Key::End:
            page.topIndex = std::max(count - pageSize_ / 2, 0);
            SelectRow(count - 1 - page.topIndex, shift, false);
            slow = 2;
            break;
    }
    requestRefresh();
    return slow;
}

void FilePage::typeAhead(unsigned char c, bool shift) {
    if (c < 32 || c == 127) return;
    // "r" is left out of the text, as it always was.
    if (findName.size() < 31 && c != 'r') findName.push_back(static_cast<char>(c));
    const int list = catalog_.currentList();
    if (list < 0 || findName.empty()) return;
    const int32_t count = catalog_.recordCount(list);
    for (int32_t step = 1; step <= count; ++step) {
        const int32_t i =
            static_cast<int32_t>((int64_t{catalog_.page().focusIndex} + step) % count);
        const int32_t at = i < 0 ? i + count : i;
        const char* name = catalog_.recordName(list, at);
        if (std::strlen(name) >= findName.size() &&
            equalIgnoringCase(std::string_view(name, findName.size()), findName)) {
            catalog_.page().topIndex = at;
            SelectRow(0, shift, false);
            RefreshPage(true);
            return;
        }
    }
}

}  // namespace varnel
