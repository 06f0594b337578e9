#include "gui/mainview.h"

#include <algorithm>

#include <QContextMenuEvent>
#include <QDir>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPixmap>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTabBar>

#include "app/commandtable.h"
#include "app/ftpview.h"
#include "app/treefolder.h"
#include "app/session.h"
#include "catalog/tables.h"
#include "gui/columnheader.h"
#include "gui/foldertree.h"
#include "gui/rowmenu.h"
#include "gui/guiprompt.h"
#include "gui/icons.h"
#include "gui/previewpane.h"
#include "gui/resultpagepane.h"
#include "gui/splitterbar.h"
#include "remote/ftpnames.h"

namespace varnel {

// ---- the file list ----------------------------------------------------------------------

CFileList::CFileList(CMainView& view) : QTreeWidget(&view), view_(view) {
    setObjectName(QStringLiteral("fileList"));
    setColumnCount(kPageColumns);
    QStringList titles;
    for (const PageColumn& c : kPageColumnsTable) titles << QString::fromLatin1(c.title);
    setHeaderLabels(titles);
    for (int c = 0; c < kPageColumns; ++c) {
        header()->resizeSection(c, kPageColumnsTable[c].width);
        // The widths were chosen for a narrower font: the largest size must still show whole.
        if (c == kColSize)
            header()->resizeSection(
                c, std::max(kPageColumnsTable[c].width,
                            fontMetrics().horizontalAdvance(QStringLiteral("4,294,967,295")) + 16));
        if (kPageColumnsTable[c].alignRight)
            headerItem()->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
    }
    header()->setStretchLastSection(false);
    // Name and Path take the width the window has beyond the other columns.
    header()->setSectionResizeMode(kColName, QHeaderView::Stretch);
    header()->setSectionResizeMode(kColPath, QHeaderView::Stretch);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::MultiSelection);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setIconSize(QSize(16, 16));
}

void CFileList::mousePressEvent(QMouseEvent* event) {
    setFocus();
    // The right button's selection is the row popup's (contextMenuEvent).
    if (event->button() != Qt::LeftButton) return;
    QTreeWidgetItem* item = itemAt(event->position().toPoint());
    const int row = item ? indexOfTopLevelItem(item) : -1;
    if (row < 0) {
        view_.page().clearSelection();
        return;
    }
    view_.page().SelectRow(row, event->modifiers() & Qt::ShiftModifier,
                           event->modifiers() & Qt::ControlModifier);
}

void CFileList::contextMenuEvent(QContextMenuEvent* event) {
    if (!view_.rowMenu()) return;
    QTreeWidgetItem* item = itemAt(event->pos());
    const int row = item ? indexOfTopLevelItem(item) : -1;
    view_.rowMenu()->popup(row, event->globalPos());
}

void CFileList::mouseDoubleClickEvent(QMouseEvent* event) {
    QTreeWidgetItem* item = itemAt(event->position().toPoint());
    if (!item || !view_.rowMenu()) return;
    view_.rowMenu()->openSelected(view_.page().topIndex() + indexOfTopLevelItem(item));
}

void CFileList::keyPressEvent(QKeyEvent* event) {
    FilePage& page = view_.page();
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    if (event->key() == Qt::Key_F5) {
        if (view_.command) view_.command(kCmdRefresh);
        return;
    }
    if (event->modifiers() & Qt::ControlModifier) {
        switch (event->key()) {
            case Qt::Key_A:
                page.selectAll();
                break;
            case Qt::Key_C:
                if (view_.command) view_.command(kCmdCopy);
                break;
            case Qt::Key_V:
                if (view_.command) view_.command(kCmdPaste);
                break;
            case Qt::Key_D:
                if (view_.command) view_.command(kCmdDelete);
                break;
            case Qt::Key_P:
                view_.setViewMode(2);
                break;
            default:
                break;
        }
        return;
    }
    int slow = -1;
    switch (event->key()) {
        case Qt::Key_Up:
            page.moveFocus(-1, shift);
            break;
        case Qt::Key_Down:
            page.moveFocus(1, shift);
            break;
        case Qt::Key_PageUp:
            slow = page.keyMove(FilePage::Key::PageUp, shift);
            break;
        case Qt::Key_PageDown:
            slow = page.keyMove(FilePage::Key::PageDown, shift);
            break;
        case Qt::Key_Home:
            slow = page.keyMove(FilePage::Key::Home, shift);
            break;
        case Qt::Key_End:
            slow = page.keyMove(FilePage::Key::End, shift);
            break;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            focusNextPrevChild(event->key() == Qt::Key_Tab);
            return;
        default: {
            const QByteArray text = event->text().toUtf8();
            for (char c : text) page.typeAhead(static_cast<unsigned char>(c), shift);
            return;
        }
    }
    if (slow >= 0) view_.timer().slowRefreshCountdown = slow;
}

void CFileList::wheelEvent(QWheelEvent* event) {
    const int steps = event->angleDelta().y() / 40;  // three rows a notch
    for (int k = 0; k < std::abs(steps); ++k)
        view_.page().scroll(steps > 0 ? ScrollCode::LineUp : ScrollCode::LineDown);
}

// ---- the form ---------------------------------------------------------------------------

CMainView::CMainView(AppSession& session, QWidget* parent) : QWidget(parent), session_(session) {
    setObjectName(QStringLiteral("mainView"));
    folderTree_ = new CFolderTree(this);
    verticalSplitter_ = new CSplitterBar(SplitterOrientation::Vertical, this);
    horizontalSplitter_ = new CSplitterBar(SplitterOrientation::Horizontal, this);
    for (CSplitterBar* bar : {verticalSplitter_, horizontalSplitter_}) {
        const SplitterOrientation o = bar == verticalSplitter_ ? SplitterOrientation::Vertical
                                                               : SplitterOrientation::Horizontal;
        bar->dropped = [this, o](int position) { onSplitterDropped(o, position); };
    }
    tabs_ = new QTabBar(this);
    tabs_->addTab(QStringLiteral("result"));
    tabs_->addTab(QStringLiteral("preview"));
    tabs_->addTab(QStringLiteral("searches"));
    tabs_->setDrawBase(true);
    tabs_->setExpanding(false);
    // Both panes make their HTML view only when they first show something, so that a window
    // that never previews never starts a browser engine.
    resultPage_ = new CResultPagePane(this);
    resultPage_->navigate = [this](const std::string& url) {
        return !resultPageNavigate || resultPageNavigate(url);
    };
    resultPage_->titleOk = [this] {
        if (resultPageTitleOk) resultPageTitleOk();
    };
    preview_ = new CPreviewPane(session_, this);
    list_ = new CFileList(*this);
    scroll_ = new QScrollBar(Qt::Vertical, this);
    scroll_->setObjectName(QStringLiteral("pageScrollBar"));
    scroll_->setRange(0, 0);

    // Rows without a file keep the height of rows with one.
    QPixmap blank(16, 16);
    blank.fill(Qt::transparent);
    blankIcon_ = QIcon(blank);

    page_ = std::make_unique<FilePage>(session_.catalog, session_.search, *this);
    page_->currentFileTime = [this] { return session_.workspace.currentFileTime(); };
    page_->catalogBusy = [this] { return session_.services.catalogBusy(); };
    page_->programDir = session_.workspace.paths().programDir;
    folderTree_->folderSelected = [this](const std::string& path, bool ctrl) {
        if (showTreeFolder(session_, *page_, path, ctrl) &&
            session_.catalog.page().viewMode != laidOutMode_)
            LayoutView();
    };
    folderTree_->makeChildFolders = [this](const std::string& path) {
        return makeTreeChildFolders(session_, *page_, path);
    };
    columnHeader_ = new CColumnHeader(list_->header(), session_.catalog, *page_);
    columnHeader_->catalogHeld = [this] { return page_->catalogHeld(); };
    TimerHooks hooks;
    hooks.pollDriveChanges = [this] {
        session_.monitor.pollDriveChanges(session_.workspace.settings().watchedFolders);
    };
    hooks.syncMenuChecks = [this] { return syncMenuChecks && syncMenuChecks(); };
    hooks.layout = [this] { LayoutView(); };
    hooks.status = [this](const std::string& text) { setStatus(text); };
    hooks.viewMode = [this] { return session_.catalog.page().viewMode; };
    hooks.remoteProgress = [this] {
        reportRemoteProgress(session_, *page_,
                             [this](const std::string& text) { setStatus(text); });
    };
    hooks.prepareSearch = [this] { session_.search.prepare(); };
    timer_ = std::make_unique<ViewTimer>(*page_, hooks);

    connect(scroll_, &QScrollBar::actionTriggered, this, &CMainView::onScrollAction);
    // Tabs "result" (the list, mode 1), "preview" (2), "searches" (the page, 0).
    connect(tabs_, &QTabBar::currentChanged, this, [this](int index) {
        const int mode = (index + 1) % 3;
        if (index < 0 || session_.catalog.page().viewMode == mode) return;
        setViewMode(mode);
        page_->RefreshPage(true);
    });
    connect(&qtimer_, &QTimer::timeout, this, &CMainView::tick);
    session_.search.showResults = [this] { setViewMode(1); };
    session_.fileCommands.showAllFiles = [this] { setViewMode(1); };
}

CMainView::~CMainView() {
    qtimer_.stop();
    session_.monitor.closeDriveWatches();
}

void CMainView::startTimer() {
    qtimer_.start(kTimerIntervalMs);
}

void CMainView::tick() {
    if (layoutOwed_ && !page_->catalogHeld()) LayoutView();
    timer_->tick();
}

void CMainView::setViewMode(int mode) {
    session_.catalog.page().viewMode = mode;
    LayoutView();
}

void CMainView::InitTree() {
    const WorkspacePaths& paths = session_.workspace.paths();
    std::string home = toBytes(QDir::homePath());
    if (home.empty() || home.back() != '/') home += '/';
    folderTree_->InitTree(home, session_.workspace.driveRoots(), paths.programDir + "/Ftp");
}

void CMainView::browseFolder(const std::string& folder) {
    if (page_->catalogHeld()) return;
    // Making the mirror folders of an FTP folder needs no connection: none is made meanwhile.
    const bool wasOffline = session_.ftp.offline();
    session_.ftp.setOffline(true);
    folderTree_->SelectPath(treePathOf(session_, folder));
    session_.ftp.setOffline(wasOffline);
    folderTree_->setFocus();
}

void CMainView::onScrollAction(int action) {
    switch (action) {
        case QAbstractSlider::SliderSingleStepAdd:
            page_->scroll(ScrollCode::LineDown);
            break;
        case QAbstractSlider::SliderSingleStepSub:
            page_->scroll(ScrollCode::LineUp);
            break;
        case QAbstractSlider::SliderPageStepAdd:
            page_->scroll(ScrollCode::PageDown);
            break;
        case QAbstractSlider::SliderPageStepSub:
            page_->scroll(ScrollCode::PageUp);
            break;
        case QAbstractSlider::SliderMove:
            page_->scroll(ScrollCode::ThumbTrack, scroll_->sliderPosition());
            break;
        default:
            break;
    }
}

void CMainView::resizeEvent(QResizeEvent*) {
    LayoutView();
}

void CMainView::showEvent(QShowEvent*) {
    loadResultPageIfShown();
}

// While a worker owns the catalog (a resize during a scan) the panes still follow the view,
// but the page keeps its rows as they were drawn, with the view mode they were laid out in;
// the page size and the rows catch up on the first tick after the worker has ended.
void CMainView::LayoutView() {
    const bool held = page_->catalogHeld();
    const int tabRow = tabs_->sizeHint().height();
    tabRowHeight_ = tabRow;
    const int mode = held ? laidOutMode_ : session_.catalog.page().viewMode;
    const ViewLayout l = varnel::LayoutView(width(), height(), tabRow, mode, options_);
    if (!held) session_.catalog.page().viewMode = l.viewMode;
    laidOutMode_ = l.viewMode;
    // The page is read again each time it comes back on screen.
    if (!l.resultPageShown) resultPageStale_ = true;
    auto place = [](QWidget* w, const ViewRect& r) { w->setGeometry(r.x, r.y, r.width, r.height); };

    {
        const QSignalBlocker muted(folderTree_);
        folderTree_->setVisible(l.folderTreeShown);
    }
    list_->setVisible(l.fileListShown);
    scroll_->setVisible(l.fileListShown);
    resultPage_->setVisible(l.resultPageShown);
    preview_->setVisible(l.previewShown);
    {
        const QSignalBlocker muted(tabs_);
        tabs_->setCurrentIndex(l.selectedTab);
    }
    place(folderTree_, l.folderTree);
    place(verticalSplitter_, l.verticalSplitter);
    place(tabs_, {l.tabs.x, 0, l.tabs.width, tabRow});
    place(horizontalSplitter_, l.horizontalSplitter);
    QWidget* main = l.fileListShown  ? static_cast<QWidget*>(list_)
                    : l.previewShown ? static_cast<QWidget*>(preview_)
                                     : static_cast<QWidget*>(resultPage_);
    place(main, l.mainPane);
    if (l.previewShown) preview_->raise();
    loadResultPageIfShown();
    if (l.fileListShown) place(scroll_, l.scrollBar);
    layoutOwed_ = held;
    if (held) {
        main->show();
        return;
    }

    // The page size: rows of the list's height, two fewer.
    if (list_->topLevelItemCount() == 0) ensureRows(1);
    const int rowHeight = list_->visualItemRect(list_->topLevelItem(0)).height();
    const int rows =
        rowHeight > 0 ? FilePage::pageSizeFor(l.mainPane.height, rowHeight) : page_->pageSize();
    list_->clear();
    page_->resetRows(rows);
    page_->RefreshPage(true);
    main->show();
}

// The bars stay inside the view, and the horizontal one below the tab row, so both can
// always be dragged back.
void CMainView::onSplitterDropped(SplitterOrientation orientation, int position) {
    if (orientation == SplitterOrientation::Vertical)
        dropSplitter(options_, orientation, verticalSplitter_->x(), position, 0,
                     width() - kSplitterThickness);
    else
        dropSplitter(options_, orientation, horizontalSplitter_->y(), position, tabRowHeight_,
                     height() - kSplitterThickness);
    LayoutView();
}

// ---- PageScreen -------------------------------------------------------------------------

int CMainView::rowCount() const {
    return list_->topLevelItemCount();
}

void CMainView::ensureRows(int rows) {
    while (list_->topLevelItemCount() < rows) {
        auto* item = new QTreeWidgetItem(list_, QStringList{QStringLiteral(" ")});
        item->setTextAlignment(kColSize, Qt::AlignRight | Qt::AlignVCenter);
        item->setIcon(kColName, blankIcon_);
    }
}

void CMainView::setCell(int row, int column, std::string_view text) {
    list_->topLevelItem(row)->setText(column, fromBytes(text));
}

QIcon CMainView::iconFor(const QMimeType& type) {
    auto found = icons_.constFind(type.name());
    if (found != icons_.constEnd()) return *found;
    QIcon icon = QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName()));
    if (icon.isNull() || icon.availableSizes().isEmpty()) icon = toolIcon("text-x-generic");
    icons_.insert(type.name(), icon);
    return icon;
}

std::string CMainView::setRowType(int row, std::string_view shellName) {
    const QMimeType type =
        mimes_.mimeTypeForFile(fromBytes(shellName), QMimeDatabase::MatchExtension);
    list_->topLevelItem(row)->setIcon(kColName, iconFor(type));
    return toBytes(type.comment());
}

void CMainView::clearRowIcon(int row) {
    list_->topLevelItem(row)->setIcon(kColName, blankIcon_);
}

void CMainView::setRowSelected(int row, bool selected) {
    list_->topLevelItem(row)->setSelected(selected);
}

void CMainView::setScrollBar(int maximum, int position) {
    const QSignalBlocker muted(scroll_);
    scroll_->setRange(0, maximum);
    scroll_->setPageStep(std::max(page_->pageSize(), 1));
    scroll_->setValue(position);
}

void CMainView::setStatus(std::string_view text) {
    if (statusOut) statusOut(fromBytes(text));
}

void CMainView::setAddress(std::string_view text) {
    if (addressOut) addressOut(fromBytes(text));
}

void CMainView::preview(std::string_view path) {
    preview_->showFile(std::string(path));
}

void CMainView::showResultPage(const std::string& path) {
    resultPagePath_ = path;
    resultPageStale_ = true;
    loadResultPageIfShown();
}

// Only a page on screen is loaded: the first one starts the browser engine.
void CMainView::loadResultPageIfShown() {
    if (laidOutMode_ != 0 || !isVisible() || !resultPageStale_ || resultPagePath_.empty()) return;
    resultPageStale_ = false;
    resultPage_->showPage(resultPagePath_);
}

}  // namespace varnel
