#pragma once
// The file list's row popup: its commands, their texts and when they are offered.
#include <cstdint>
#include <vector>

#include "view/columnsort.h"

namespace varnel {

enum RowCommand : int {
    kRowExplore = 32844,
    kRowCopy = 32832,
    kRowPaste = 32833,
    kRowDelete = 32786,
    kRowRename = 32846,
    kRowOpenFolder = 32789,
    kRowOpenFile = 32788,
    kRowBrowseFolder = 32797,
    kRowModifyNote = 32827,
    kRowPreview = 32828,
    kRowRefresh = 32834,
    kRowCopyUrl = 32853,
    kRowStartShare = 32830,
    kRowStopShare = 32835,
    kRowExtract = 32799,
    kRowExport = 32800,
};

struct RowMenuState {
    int32_t selectedCount = 0;
    int32_t clipboardCount = 0;
    bool shareListShown = false;  // the current view is the share list
    bool rowHit = false;          // the click was on a record
};

// The items in menu order; id 0 is a separator. On a record of the share list only the two
// share items are offered.
std::vector<MenuItem> rowMenu(const RowMenuState& state);

}  // namespace varnel
