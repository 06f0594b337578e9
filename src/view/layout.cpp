#include "view/layout.h"

#include <algorithm>

namespace varnel {

ViewLayout LayoutView(int width, int height, int tabRowHeight, int viewMode,
                      const LayoutOptions& options) {
    ViewLayout out;
    out.viewMode = viewMode;
    const int w = options.folderPaneShown ? options.folderPaneWidth : 0;
    const int s = options.lowerPreviewShown ? options.lowerPreviewHeight : 0;
    const int t = tabRowHeight;
    out.folderTreeShown = w != 0;
    out.fileListShown = out.viewMode == 1;
    out.resultPageShown = out.viewMode == 0;
    out.previewShown = out.viewMode == 2;
    // Tabs: "result" (list), "preview", "searches" (the result page).
    out.selectedTab = (out.viewMode + 2) % 3;

    out.folderTree = {0, 0, std::max(w - kSplitterThickness, 0), height};
    out.verticalSplitter = {w == 0 ? 0 : w - kSplitterThickness, 0, kSplitterThickness, height};
    out.tabs = {w, 0, width - w, height};
    out.horizontalSplitter = {w, height - s, width - w, kSplitterThickness};
    const int paneWidth = width - w - (out.fileListShown ? kPageScrollBarWidth : 0);
    out.mainPane = {w, t, paneWidth, height - s - t};
    if (out.fileListShown)
        out.scrollBar = {width - kPageScrollBarWidth, t, kPageScrollBarWidth, height - s - t};
    return out;
}

int dropSplitter(LayoutOptions& options, SplitterOrientation orientation, int atLayout,
                 int position, int lower, int upper) {
    const int kept = std::clamp(position, lower, std::max(lower, upper));
    if (orientation == SplitterOrientation::Vertical)
        options.folderPaneWidth += kept - atLayout;
    else
        options.lowerPreviewHeight += atLayout - kept;
    return kept;
}

}  // namespace varnel
