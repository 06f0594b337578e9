#pragma once
// The frame's commands: ids, menu texts, keys and the rules that make some unavailable. The
// GUI builds its menus, toolbar and shortcuts from these tables.
#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace varnel {

enum CommandId : int {
    kCmdNew = 32865,
    kCmdOpen = 32781,
    kCmdSave = 32864,
    kCmdSaveAs = 32782,
    kCmdClose = 32829,
    kCmdImport = 32851,
    kCmdExport = 32852,
    kCmdOffline = 32849,
    kCmdRecentPlaceholder = 32863,
    kCmdRecentFirst = 32854,
    kCmdRecentLast = 32858,
    kCmdExit = 57665,
    kCmdCopy = 57634,
    kCmdPaste = 57637,
    kCmdDelete = 57635,
    kCmdSelectAll = 32780,
    kCmdDirectory = 32798,
    kCmdUp = 32804,
    kCmdDown = 32805,
    kCmdForward = 32806,
    kCmdBack = 32807,
    kCmdRefresh = 32779,
    kCmdPreview = 32839,
    kCmdPreviewContext = 32828,
    kCmdTabForward = 32824,
    kCmdSearch = 32825,
    kCmdSearchFile = 32845,
    kCmdLogOut = 32847,
    kCmdLogIn = 32848,
    kCmdSavedSearchFirst = 32811,
    kCmdSavedSearchLast = 32820,
    kCmdShowAll = 32802,
    kCmdKeep = 32803,
    kCmdDrop = 32809,
    kCmdShowInTree = 32777,
    kCmdSidePreview = 32778,
    kCmdShare = 32837,
    kCmdShareUser = 32836,
    kCmdShow = 32843,
    kCmdHide = 32840,
    kCmdCopyUrl = 32853,
    kCmdUndo = 57643,
    kCmdAbout = 57664,
    kCmdNextPane = 57680,
    kCmdPrevPane = 57681,
};

inline constexpr int kMaxSavedSearchItems = 10;

// One menu entry; text "" is a separator, id 0 a submenu title.
struct MenuEntry {
    int id;
    const char* text;
};

struct MenuDefinition {
    const char* title;
    std::span<const MenuEntry> entries;
};

// The menu bar, in order. The View menu's saved searches and the recent files are added
// when the frame is built.
std::span<const MenuDefinition> menuTable();

// The toolbar's nine buttons.
struct ToolButton {
    const char* text;
    int id;
    const char* iconName;  // freedesktop icon name; our own icon of the same name otherwise
};
std::span<const ToolButton> toolButtons();

// Key sequences in the portable text form ("Ctrl+[", "Shift+Del").
struct Accelerator {
    const char* keys;
    int id;
};
std::span<const Accelerator> accelerators();

// What the enable rules look at.
struct CommandState {
    int32_t selectedCount = 0;
    int32_t focusIndex = -1;
    int32_t recordCount = 0;  // of the current view
    int32_t historyCount = 0;
    int32_t historyPosition = -1;
    std::string openCatalogPath;
    std::string defaultCatalogPath;
    bool frameVisible = true;
};

bool commandEnabled(int id, const CommandState& state);

}  // namespace varnel
