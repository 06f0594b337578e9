#pragma once
// The main view: folder pane, tab row, the paged file list with its own scroll bar, the
// preview and result panes and the two splitter places, placed by LayoutView. It renders
// what the page logic computes and forwards clicks, keys and scrolling to it.
#include <QHash>
#include <QIcon>
#include <QMimeDatabase>
#include <QTimer>
#include <QTreeWidget>
#include <QWidget>
#include <functional>
#include <memory>

#include "gui/previewpane.h"
#include "gui/resultpagepane.h"
#include "view/layout.h"
#include "view/page.h"
#include "view/viewtimer.h"

class QScrollBar;
class QTabBar;
class QFrame;

namespace varnel {

class AppSession;
class CMainView;
class CSplitterBar;
class CColumnHeader;
class CRowMenu;
class CFolderTree;

// The report list (id 1003): one page of rows; selection and scrolling belong to the page.
class CFileList : public QTreeWidget {
    Q_OBJECT
  public:
    explicit CFileList(CMainView& view);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    CMainView& view_;
};

class CMainView : public QWidget, public PageScreen {
    Q_OBJECT
  public:
    CMainView(AppSession& session, QWidget* parent);
    ~CMainView() override;

    void LayoutView();
    void startTimer();
    void tick();
    void setViewMode(int mode);  // and lay out
    // Fills the folder pane's top level.
    void InitTree();
    // "&Browse folder": the catalog folder selected in the folder pane, which gets the focus.
    void browseFolder(const std::string& folder);

    FilePage& page() { return *page_; }
    ViewTimer& timer() { return *timer_; }
    LayoutOptions& layoutOptions() { return options_; }
    CFileList* fileList() const { return list_; }
    QScrollBar* pageScrollBar() const { return scroll_; }
    QTabBar* tabs() const { return tabs_; }
    CPreviewPane* previewPane() const { return preview_; }
    CResultPagePane* resultPagePane() const { return resultPage_; }
    CFolderTree* folderPane() const { return folderTree_; }
    CSplitterBar* splitter(SplitterOrientation o) const {
        return o == SplitterOrientation::Vertical ? verticalSplitter_ : horizontalSplitter_;
    }
    AppSession& session() { return session_; }
    CColumnHeader* columnHeader() const { return columnHeader_; }
    // The row popup, made by the frame (it needs the frame's progress dialog).
    CRowMenu* rowMenu() const { return rowMenu_; }
    void setRowMenu(CRowMenu* menu) { rowMenu_ = menu; }

    // Where the status and address texts go (the frame's bars).
    std::function<void(const QString&)> statusOut;
    std::function<void(const QString&)> addressOut;
    // Keys the list hands on to the frame's commands (Ctrl+C and the like).
    std::function<void(int commandId)> command;
    // The timer's menu step: true when the folder pane's check mark had to change.
    std::function<bool()> syncMenuChecks;
    // The saved-searches page's links (true lets one load) and its "ok" title.
    std::function<bool(const std::string& url)> resultPageNavigate;
    std::function<void()> resultPageTitleOk;
    // The saved-searches page file, (re)loaded when its pane is laid out: at once when it is
    // on screen, else when it is next shown.
    void showResultPage(const std::string& path);

    // PageScreen
    int rowCount() const override;
    void ensureRows(int rows) override;
    void setCell(int row, int column, std::string_view text) override;
    std::string setRowType(int row, std::string_view shellName) override;
    void clearRowIcon(int row) override;
    void setRowSelected(int row, bool selected) override;
    void setScrollBar(int maximum, int position) override;
    void setStatus(std::string_view text) override;
    void setAddress(std::string_view text) override;
    void preview(std::string_view path) override;

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void onScrollAction(int action);
    void onSplitterDropped(SplitterOrientation orientation, int position);
    void loadResultPageIfShown();
    QIcon iconFor(const QMimeType& type);

    AppSession& session_;
    LayoutOptions options_;
    CFolderTree* folderTree_;
    CSplitterBar* verticalSplitter_;
    CSplitterBar* horizontalSplitter_;
    int tabRowHeight_ = 0;
    int laidOutMode_ = 1;      // the view mode of the last layout
    bool layoutOwed_ = false;  // laid out while the catalog was held: the page waits
    QTabBar* tabs_;
    CFileList* list_;
    CColumnHeader* columnHeader_ = nullptr;
    CRowMenu* rowMenu_ = nullptr;
    QScrollBar* scroll_;
    CPreviewPane* preview_;
    CResultPagePane* resultPage_;
    std::string resultPagePath_;
    bool resultPageStale_ = true;  // the pane has not loaded the page file as it is now
    QTimer qtimer_;
    QMimeDatabase mimes_;
    QHash<QString, QIcon> icons_;
    QIcon blankIcon_;
    std::unique_ptr<FilePage> page_;
    std::unique_ptr<ViewTimer> timer_;
};

}  // namespace varnel
