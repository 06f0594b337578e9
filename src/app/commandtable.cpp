#include "app/commandtable.h"

#include "catalog/tables.h"

namespace varnel {

namespace {

constexpr MenuEntry kFileMenu[] = {
    {kCmdNew, "&New"},
    {kCmdOpen, "&Open"},
    {kCmdSave, "&Save"},
    {kCmdSaveAs, "Save &as"},
    {kCmdClose, "&Close"},
    {kCmdImport, "&Import"},
    {kCmdExport, "&Export"},
    {-1, ""},
    {kCmdOffline, "&Offline[CTRL]"},
    {-1, ""},
    {kCmdRecentPlaceholder, "&Recent file"},
    {-1, ""},
    {kCmdExit, "Exit(&X)"},
};
constexpr MenuEntry kEditMenu[] = {
    {kCmdCopy, "Copy(&C)\tCtrl+C"},     {kCmdPaste, "Paste(&P)\tCtrl+V"},
    {kCmdDelete, "Delete(&T)\tCtrl+X"}, {-1, ""},
    {kCmdSelectAll, "Select All"},
};
constexpr MenuEntry kViewMenu[] = {
    {kCmdDirectory, "D&irectory"},
    {kCmdUp, "&Up  Ctrl+["},
    {kCmdDown, "&Down  Ctrl+]"},
    {kCmdForward, "&Foward"},
    {kCmdBack, "&Back"},
    {kCmdRefresh, "&Refresh"},
    {kCmdPreview, "&Preview  Ctrl+P"},
    {-1, ""},
    {kCmdSearch, "&Search"},
    {-1, ""},
};
constexpr MenuEntry kToolsMenu[] = {
    {kCmdSearchFile, "&Search File..."},
    {kCmdLogOut, "Log  &out "},
};
constexpr MenuEntry kHelpMenu[] = {
    {kCmdAbout, "About Varnel(&A)..."},
};
constexpr MenuDefinition kMenuBar[] = {
    {"File(&F)", kFileMenu},   {"Edit(&E)", kEditMenu}, {"View(&V)", kViewMenu},
    {"Tools(&T)", kToolsMenu}, {"Help(&H)", kHelpMenu},
};

constexpr ToolButton kToolButtons[] = {
    {"Back", kCmdBack, "go-previous"},
    {"Foward", kCmdForward, "go-next"},
    {"Refresh", kCmdRefresh, "view-refresh"},
    {"Down", kCmdDown, "go-down"},
    {"Up", kCmdUp, "go-up"},
    {"Select", kCmdKeep, "edit-select-all"},
    {"Deselect", kCmdDrop, "edit-clear"},
    {"Search", kCmdSearchFile, "system-search"},
    {"All", kCmdShowAll, "view-list-details"},
};

constexpr Accelerator kAccelerators[] = {
    {"Ctrl+[", kCmdUp},        {"Ctrl+]", kCmdDown},        {"Alt+A", kCmdSelectAll},
    {"Ctrl+P", kCmdPreview},   {"Alt+Backspace", kCmdUndo}, {"Ctrl+Z", kCmdUndo},
    {"Shift+Del", kCmdDelete}, {"Ctrl+X", kCmdDelete},      {"F5", kCmdRefresh},
    {"F6", kCmdNextPane},      {"Shift+F6", kCmdPrevPane},  {"Ctrl+Ins", kCmdCopy},
    {"Shift+Ins", kCmdPaste},
};

}  // namespace

std::span<const MenuDefinition> menuTable() {
    return kMenuBar;
}
std::span<const ToolButton> toolButtons() {
    return kToolButtons;
}
std::span<const Accelerator> accelerators() {
    return kAccelerators;
}

bool commandEnabled(int id, const CommandState& s) {
    switch (id) {
        case kCmdClose:
            return !equalIgnoringCase(s.openCatalogPath, s.defaultCatalogPath);
        case kCmdUp:
            return !(s.focusIndex <= 0 || s.recordCount == 0);
        case kCmdDown:
            return !(s.focusIndex == s.recordCount - 1 || s.focusIndex < 0 || s.recordCount == 0);
        case kCmdForward:
            return !(s.historyCount == 0 || s.historyPosition == s.historyCount - 1);
        case kCmdBack:
            return !(s.historyCount == 0 || s.historyPosition == 0);
        case kCmdKeep:
        case kCmdDrop:
        case kCmdShowInTree:
            return s.selectedCount > 0;
        case kCmdShow:
            return !s.frameVisible;
        case kCmdHide:
            return s.frameVisible;
        default:
            return true;
    }
}

}  // namespace varnel
