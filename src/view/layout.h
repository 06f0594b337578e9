#pragma once
// Where the main view's children go, computed from the view's size and the pane flags. The
// widgets are placed exactly where these rectangles say.
#include <cstdint>

namespace varnel {

struct ViewRect {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const ViewRect&) const = default;
};

inline constexpr int kSplitterThickness = 3;
inline constexpr int kPageScrollBarWidth = 15;

// The layout's own state: the folder pane on the left and the lower preview area.
struct LayoutOptions {
    bool folderPaneShown = true;
    int folderPaneWidth = 180;
    bool lowerPreviewShown = false;
    int lowerPreviewHeight = 200;
};

struct ViewLayout {
    int viewMode = 1;  // 0 the saved-searches page, 1 the file list, 2 the preview
    bool folderTreeShown = false;
    ViewRect folderTree;
    ViewRect verticalSplitter;
    ViewRect tabs;
    ViewRect horizontalSplitter;
    ViewRect mainPane;   // the result page, the file list or the preview, by the view mode
    ViewRect scrollBar;  // the page scroll bar; empty unless the file list is shown
    int selectedTab = 0;
    bool fileListShown = false;
    bool resultPageShown = false;
    bool previewShown = false;
};

// `tabRowHeight` is the bottom edge of the tab row. The view mode is the one in force; the
// returned layout's viewMode is what it becomes.
ViewLayout LayoutView(int width, int height, int tabRowHeight, int viewMode,
                      const LayoutOptions& options);

enum class SplitterOrientation { Vertical, Horizontal };

// A splitter bar let go with its leading edge at `position` (x of the vertical bar, y of the
// horizontal one, in the view's coordinates): the position is kept within [lower, upper] and
// the pane grows or shrinks by the distance from `atLayout`, where the last layout put the bar.
// Returns the kept position.
int dropSplitter(LayoutOptions& options, SplitterOrientation orientation, int atLayout,
                 int position, int lower, int upper);

}  // namespace varnel
