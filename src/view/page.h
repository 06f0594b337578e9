#pragma once
// The file list's page: one page of rows over the current view, never the whole view. The
// logic decides what every cell, the scroll bar, the status bar and the address bar show;
// a PageScreen (the Qt list, or a recorder in tests) only renders it.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "view/viewrecipe.h"

namespace varnel {

class Catalog;
class CatalogSearch;

inline constexpr int kPageColumns = 6;
// The row cache holds this many rows; taller lists show this many and leave the rest blank.
inline constexpr int kMaxPageRows = 50;

struct PageColumn {
    const char* title;
    int width;
    bool alignRight;
};
inline constexpr std::array<PageColumn, kPageColumns> kPageColumnsTable = {{
    {"Name", 150, false},
    {"Type", 100, false},
    {"Path", 200, false},
    {"Modified time", 130, false},
    {"Size", 80, true},
    {"Note", 150, false},
}};
enum PageColumnIndex { kColName, kColType, kColPath, kColTime, kColSize, kColNote };

// What the page draws on.
class PageScreen {
  public:
    virtual ~PageScreen() = default;
    virtual int rowCount() const = 0;
    // Adds blank rows (no icon) until the list holds `rows`.
    virtual void ensureRows(int rows) = 0;
    virtual void setCell(int row, int column, std::string_view text) = 0;
    // Puts the icon of `shellName` (looked up by name only) on the row and returns its type name.
    virtual std::string setRowType(int row, std::string_view shellName) = 0;
    virtual void clearRowIcon(int row) = 0;
    virtual void setRowSelected(int row, bool selected) = 0;
    virtual void setScrollBar(int maximum, int position) = 0;
    virtual void setStatus(std::string_view text) = 0;
    virtual void setAddress(std::string_view text) = 0;
    virtual void preview(std::string_view path) = 0;
};

// "1,234,567": the 32-bit size, shown unsigned so files of 2 GiB and more stay positive.
std::string sizeText(uint32_t size);
// Any count grouped by "," every three digits from the right.
std::string groupedNumber(uint64_t value);
// "2003-12-05  09:07" in local time; "" when the time cannot be converted.
std::string timeText(uint64_t fileTime);

enum class ScrollCode {
    LineUp,
    LineDown,
    PageUp,
    PageDown,
    ThumbTrack,
    ThumbPosition,
    Top,
    Bottom,
    EndScroll
};

class FilePage {
  public:
    FilePage(Catalog& catalog, CatalogSearch& search, PageScreen& screen);

    // The number of rows that carry records, from the list's height and its row height:
    // two rows fewer than fit (the header and a partial row), capped at the row cache.
    static int pageSizeFor(int listHeight, int rowHeight);
    // Sets the page size; the list's rows and the row cache start afresh.
    void resetRows(int pageSize);
    int pageSize() const { return pageSize_; }

    void RefreshPage(bool updatePreview);
    void scroll(ScrollCode code, int trackPosition = 0);
    // A click on a page row; the GUI reads Shift and Ctrl from the event.
    void SelectRow(int row, bool shift, bool ctrl);
    // Empties the selection list (a click outside the rows).
    void clearSelection();
    void selectAll();
    // The Up and Down commands and keys: one record up or down, the page following the focus.
    void moveFocus(int step, bool shift);
    // Page Up, Page Down, Home and End on the list. Returns the slow refresh countdown the
    // key asks for (2 for Home and End), else -1.
    enum class Key { PageUp, PageDown, Home, End };
    int keyMove(Key key, bool shift);
    // A character typed into the list: extends the type-ahead text and moves to the next
    // record whose name begins with it.
    void typeAhead(unsigned char c, bool shift);

    int32_t topIndex() const;
    void setTopIndex(int32_t top);
    int32_t focusIndex() const;
    int32_t anchorIndex() const { return anchor_; }
    // The address of the current view as the address bar shows it: "*" for all records,
    // FTP names as URLs, "" for a view without one.
    std::string viewAddress() const;
    ViewRecipes& recipes() { return recipes_; }
    uint64_t selectionTotal() const { return selectionTotal_; }

    // True while a worker owns the catalog (a scan merging into it). The page then reads
    // nothing of it: a refresh leaves the rows as they were drawn and is done again once the
    // worker has ended.
    std::function<bool()> catalogBusy;
    bool catalogHeld() const { return catalogBusy && catalogBusy(); }

    // The refresh countdown: the timer performs a refresh while it is 0 or more.
    int refreshCountdown = -1;
    void requestRefresh() { refreshCountdown = 1; }
    // The type-ahead text, shown in the status bar while it is not empty.
    std::string findName;
    // Whether the side preview is on (the lower preview area).
    bool sidePreview = false;
    // Whether an address names a folder whose FTP listing has just arrived: "(NEW)".
    std::function<bool(const char* address)> isNewDownload;
    // The share list's status counts the shares still running by this clock; the count is
    // kept until the share operations set it back to -1.
    std::function<uint64_t()> currentFileTime;
    int sharedCount = -1;
    const std::string& statusText() const { return status_; }
    // The program directory, under whose mirror folders the preview keeps its copies of FTP
    // files; the Note column reads an FTP page's title from there.
    std::string programDir;

  private:
    bool rebuildStaleView();
    void locateSelection();
    void fillRow(int row, int32_t i);
    bool isSelected(int list, int32_t i);
    void clearRow(int row);
    void writeCell(int row, int column, const std::string& text);
    void writeStatus();
    void sortThroughTemp(int list, int32_t column, int32_t order);
    std::string localCopyOf(const std::string& path) const;

    Catalog& catalog_;
    CatalogSearch& search_;
    PageScreen& screen_;
    int pageSize_ = 0;
    int32_t anchor_ = -1;
    int32_t rangeEnd_ = -1;
    int scrollPosition_ = 0;
    uint64_t selectionTotal_ = 0;
    // Where the last selected row's record sat in the selection list, less its index in the
    // view: after Select All or a Shift range the next row's record is tried there first.
    int32_t selectionShift_ = 0;
    std::array<std::array<std::string, kPageColumns>, kMaxPageRows> cache_{};
    std::string lastPreviewed_;
    ViewRecipes recipes_;
    std::string status_;
};

}  // namespace varnel
