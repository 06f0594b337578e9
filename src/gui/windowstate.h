#pragma once
// The window's size and place, the folder pane's width and the file list's column widths,
// kept between runs in the desktop's settings place (QSettings, ~/.config/Varnel). The
// catalog's own settings file keeps its fixed layout and holds none of them.
class QMainWindow;
class QHeaderView;

namespace varnel {

struct LayoutOptions;

class CWindowState {
  public:
    // Before the window is first shown, so that it opens where it was left.
    static void restore(QMainWindow& window, LayoutOptions& options, QHeaderView& columns);
    static void save(const QMainWindow& window, const LayoutOptions& options,
                     const QHeaderView& columns);
};

}  // namespace varnel
