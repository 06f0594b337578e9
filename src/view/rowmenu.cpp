#include "view/rowmenu.h"

namespace varnel {

std::vector<MenuItem> rowMenu(const RowMenuState& s) {
    if (s.shareListShown && s.rowHit)
        return {{kRowStartShare, "&Start share", true}, {kRowStopShare, "Sto&p share", true}};
    const bool picked = s.selectedCount > 0;
    return {
        {kRowOpenFile, "&Open file", picked},
        {kRowOpenFolder, "Open &folder", true},
        {kRowBrowseFolder, "&Browse folder", picked},
        {kRowPreview, "Pre&view", picked},
        {0, "", true},
        {kRowModifyNote, "&Modify note", picked},
        {kRowRefresh, "&Refresh", true},
        {0, "", true},
        {kRowCopy, "&Copy", picked},
        {kRowPaste, "&Paste", s.clipboardCount > 0},
        {kRowDelete, "&Delete", picked},
        {kRowRename, "Re&name", true},
        {kRowCopyUrl, "Copy &url", true},
        {kRowExplore, "Explorer  ...", true},
        {kRowStartShare, "&Start share", picked},
        {0, "", true},
        {kRowExtract, "extract file", true},
        {kRowExport, "export", true},
    };
}

}  // namespace varnel
