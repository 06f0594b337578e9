#include "gui/mainframe.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include "app/addresshistory.h"
#include "app/commandtable.h"
#include "app/ftpview.h"
#include "app/session.h"
#include "catalog/editing.h"
#include "gui/addressbar.h"
#include "gui/fileoperations.h"
#include "gui/guiprompt.h"
#include "gui/logindialog.h"
#include "gui/icons.h"
#include "gui/foldertree.h"
#include "gui/mainview.h"
#include "gui/rowmenu.h"
#include "gui/searchdialog.h"
#include "query/resultpage.h"
#include "gui/sharecommands.h"
#include "gui/typedsearchbar.h"
#include "gui/windowstate.h"
#include "scan/changemonitor.h"
#include "scan/scancommand.h"
#include "view/navigation.h"

namespace varnel {

namespace {
constexpr const char* kLockNames[3] = {"CAP", "NUM", "SCRL"};
}  // namespace

CMainFrame::CMainFrame(AppSession& session, GuiPrompt& prompt)
    : session_(session), prompt_(prompt), scanDialogs_(prompt, this) {
    setWindowTitle(QStringLiteral("Varnel"));
    setWindowIcon(applicationIcon());
    view_ = new CMainView(session_, this);
    setCentralWidget(view_);
    progress_ = std::make_unique<GuiProgress>(this);
    rowMenu_ = new CRowMenu(*view_, session_, *progress_);
    view_->setRowMenu(rowMenu_);
    rowMenu_->browseFolder = [this](const std::string& folder) { view_->browseFolder(folder); };
    fileOperations_ = new CFileOperations(*view_, session_, *progress_, this);
    fileOperations_->connectTo(rowMenu_->operations);
    shareCommands_ = new CShareCommands(
        session_, *progress_, view_->page(), [this](const std::string& folder) { goTo(folder); },
        this);
    rowMenu_->operations.startShare = [this] { shareCommands_->share(); };
    rowMenu_->operations.stopShare = [this] { shareCommands_->stopShare(); };

    buildMenus();
    buildToolBar();
    buildStatusBar();

    view_->statusOut = [this](const QString& text) {
        if (message_->text() != text) message_->setText(text);
    };
    // While the user types a search, the bar is theirs: the page shows what it finds.
    view_->addressOut = [this](const QString& text) {
        if (address_->currentText() == text || typedSearch_->typing()) return;
        address_->setEditText(text);
    };
    view_->command = [this](int id) { runCommand(id); };
    view_->syncMenuChecks = [this] {
        showKeyLocks();
        return syncMenuChecks();
    };
    prompt_.setStatusPane(this, [this](const QString& text) { message_->setText(text); });
    session_.fileCommands.rebuildRecentMenu = [this] { rebuildRecentMenu(); };
    // The menu and the searches page name searches by position: both follow every change.
    session_.savedSearchesChanged = [this] {
        rebuildSavedSearchMenu();
        view_->showResultPage(session_.workspace.paths().resultPage);
    };
    connectResultPage();
    resize(1000, 680);
    CWindowState::restore(*this, view_->layoutOptions(), *view_->fileList()->header());
}

CMainFrame::~CMainFrame() {
    prompt_.setStatusPane(nullptr, nullptr);
    session_.savedSearchesChanged = nullptr;
}

QAction* CMainFrame::makeAction(int id, const QString& text) {
    auto* a = new QAction(text, this);
    a->setData(id);
    connect(a, &QAction::triggered, this, [this, id] { runCommand(id); });
    actions_.insert(id, a);
    return a;
}

void CMainFrame::buildMenus() {
    for (const MenuDefinition& m : menuTable()) {
        QMenu* menu = menuBar()->addMenu(QString::fromLatin1(m.title));
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::updateCommandStates);
        for (const MenuEntry& e : m.entries) {
            if (e.id < 0) {
                menu->addSeparator();
                continue;
            }
            QAction* a = makeAction(e.id, QString::fromLatin1(e.text));
            menu->addAction(a);
            if (e.id == kCmdRecentPlaceholder) {
                recentAnchor_ = a;
                a->setEnabled(false);
            }
        }
        if (m.entries.data() == menuTable()[0].entries.data()) fileMenu_ = menu;
        if (m.entries.data() == menuTable()[2].entries.data()) viewMenu_ = menu;
    }
    actions_.value(kCmdDirectory)->setCheckable(true);
    actions_.value(kCmdDirectory)->setChecked(true);
    actions_.value(kCmdOffline)->setCheckable(true);
    // Commands reached by keys and other menus only.
    for (int id : {kCmdUndo, kCmdNextPane, kCmdPrevPane, kCmdTabForward, kCmdPreviewContext,
                   kCmdSidePreview, kCmdShowAll, kCmdKeep, kCmdDrop, kCmdShowInTree, kCmdLogIn,
                   kCmdShare, kCmdShareUser, kCmdShow, kCmdHide, kCmdCopyUrl})
        if (!actions_.contains(id)) addAction(makeAction(id, QString()));
    QHash<int, QList<QKeySequence>> keys;
    for (const Accelerator& a : accelerators())
        keys[a.id].append(QKeySequence(QString::fromLatin1(a.keys)));
    for (auto it = keys.cbegin(); it != keys.cend(); ++it) {
        QAction* a = actions_.value(it.key());
        a->setShortcuts(it.value());
        a->setShortcutContext(Qt::WindowShortcut);
        if (!a->associatedObjects().contains(this)) addAction(a);
    }
    rebuildRecentMenu();
    rebuildSavedSearchMenu();
}

void CMainFrame::buildToolBar() {
    QToolBar* bar = addToolBar(QStringLiteral("toolbar"));
    bar->setObjectName(QStringLiteral("toolbar"));
    bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    bar->setIconSize(QSize(22, 22));
    bar->setMovable(false);
    for (const ToolButton& b : toolButtons()) {
        QAction* a = actions_.value(b.id);
        if (!a) a = makeAction(b.id, QString());
        auto* button = new QAction(toolIcon(b.iconName), QString::fromLatin1(b.text), bar);
        button->setData(b.id);
        connect(button, &QAction::triggered, a, &QAction::trigger);
        connect(a, &QAction::enabledChanged, button, &QAction::setEnabled);
        bar->addAction(button);
    }
    addToolBarBreak();
    QToolBar* row = addToolBar(QStringLiteral("address"));
    row->setObjectName(QStringLiteral("addressRow"));
    row->setMovable(false);
    row->addWidget(new QLabel(QStringLiteral(" address "), row));
    address_ = new CAddressBar(row);
    address_->viewAddress = [this] { return fromBytes(view_->page().viewAddress()); };
    row->addWidget(address_);
    connect(address_, &CAddressBar::entered, this, &CMainFrame::onAddressEnter);
    connect(address_, qOverload<int>(&QComboBox::activated), this, &CMainFrame::onAddressPicked);
    typedSearch_ = new CTypedSearchBar(session_, *address_, *view_, this);
    fillAddressBar();
}

void CMainFrame::buildStatusBar() {
    message_ = new QLabel(QStringLiteral("ready"));
    message_->setObjectName(QStringLiteral("messagePane"));
    statusBar()->addWidget(message_, 1);
    for (int k = 0; k < 3; ++k) {
        const QString name = QString::fromLatin1(kLockNames[k]);
        auto* pane = new QLabel;
        pane->setObjectName(name);
        pane->setFrameShape(QFrame::Panel);
        pane->setFrameShadow(QFrame::Sunken);
        pane->setAlignment(Qt::AlignCenter);
        pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance(name) + 8);
        statusBar()->addPermanentWidget(pane);
        lockPanes_[k] = pane;
    }
}

// A lock's pane shows its name while the lock is on, and stays blank otherwise.
void CMainFrame::showKeyLocks() {
    const KeyLocks locks = keyLights_.read();
    const bool on[3] = {locks.caps, locks.num, locks.scroll};
    for (int k = 0; k < 3; ++k) {
        const QString text = on[k] ? QString::fromLatin1(kLockNames[k]) : QString();
        if (lockPanes_[k]->text() != text) lockPanes_[k]->setText(text);
    }
}

void CMainFrame::rebuildRecentMenu() {
    for (QAction* a : recentItems_) {
        fileMenu_->removeAction(a);
        actions_.remove(a->data().toInt());
        a->deleteLater();
    }
    recentItems_.clear();
    const auto recent = session_.fileCommands.recentCatalogs();
    recentAnchor_->setVisible(recent.empty());
    for (size_t k = 0; k < recent.size() && k < 5; ++k) {
        const int id = kCmdRecentFirst + static_cast<int>(k);
        QAction* a = makeAction(id, QStringLiteral("&%1 %2").arg(k + 1).arg(fromBytes(recent[k])));
        fileMenu_->insertAction(recentAnchor_, a);
        recentItems_.append(a);
    }
}

void CMainFrame::rebuildSavedSearchMenu() {
    for (QAction* a : savedSearchItems_) {
        viewMenu_->removeAction(a);
        actions_.remove(a->data().toInt());
        a->deleteLater();
    }
    savedSearchItems_.clear();
    for (int k = 0; k < session_.searches.count() && k < kMaxSavedSearchItems; ++k) {
        // "&" in a name is the name's own, not a mnemonic.
        QString text = fromBytes(session_.searches.savedSearchName(k));
        text.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* a = makeAction(kCmdSavedSearchFirst + k, text);
        viewMenu_->addAction(a);
        savedSearchItems_.append(a);
    }
}

void CMainFrame::fillAddressBar() {
    QStringList entries;
    for (const std::string& entry : historyEntries(session_.workspace.settings().addressHistory))
        entries << fromBytes(entry);
    address_->setEntries(entries);
}

void CMainFrame::goTo(const std::string& text) {
    AddressServices services{session_.catalog, session_.search, view_->page(), prompt_, {}, {}, {},
                             nullptr};
    services.remoteLogin = [this](const std::string& name) {
        return session_.ftp.PromptRemoteLogin(name);
    };
    services.refreshFtpFolder = [this](const std::string& name) { openFtpFolder(session_, name); };
    services.layout = [this] { view_->LayoutView(); };
    services.slowRefreshCountdown = &view_->timer().slowRefreshCountdown;
    services.selectFolder = [this](const std::string& folder) {
        view_->folderPane()->SelectPath(folder);
        view_->folderPane()->setFocus();
    };
    goToAddress(services, text);
}

void CMainFrame::onAddressEnter() {
    typedSearch_->leaveTypedView();
    navigateTo(toBytes(address_->currentText()), true);
}

void CMainFrame::onAddressPicked(int index) {
    typedSearch_->leaveTypedView();
    navigateTo(toBytes(address_->itemText(index)), false);
}

void CMainFrame::navigateTo(std::string text, bool typed) {
    if (std::optional<TypedLogin> login = takeTypedLogin(text)) {
        // The session gets the login at once (the site may have been visited already), and
        // the login dialog of a first visit is answered by it.
        session_.ftp.addSessionLogin(login->host, login->user, login->password);
        if (loginDialogs_) loginDialogs_->answerWith(login->host, login->user, login->password);
        address_->setEditText(fromBytes(text));
    }
    goTo(addressToName(text));
    if (loginDialogs_) loginDialogs_->answerWith({}, {}, {});
    if (rememberAddress(session_.workspace.settings().addressHistory, text, typed)) {
        fillAddressBar();
        if (!typed) address_->setEditText(fromBytes(text));
    }
}

bool CMainFrame::syncMenuChecks() {
    updateCommandStates();
    QAction* offline = actions_.value(kCmdOffline);
    if (offline->isChecked() != session_.ftp.offline()) offline->setChecked(session_.ftp.offline());
    QAction* directory = actions_.value(kCmdDirectory);
    const bool shown = view_->layoutOptions().folderPaneShown;
    if (directory->isChecked() == shown) return false;
    directory->setChecked(shown);
    return true;
}

void CMainFrame::updateCommandStates() {
    // The rules read the catalog, which a scan worker may own; the states stay as they are
    // until it has ended (its dialog is modal meanwhile).
    if (session_.services.catalogBusy()) return;
    const Catalog& catalog = session_.catalog;
    CommandState s;
    s.selectedCount = catalog.recordCount(kSelectionList);
    s.focusIndex = session_.catalog.page().focusIndex;
    const int list = catalog.currentList();
    s.recordCount = list >= 0 ? catalog.recordCount(list) : 0;
    s.historyCount = catalog.history().count;
    s.historyPosition = catalog.history().position;
    s.openCatalogPath = session_.database.openCatalogPath();
    s.defaultCatalogPath = session_.database.defaultCatalogPath();
    s.frameVisible = isVisible();
    for (auto it = actions_.cbegin(); it != actions_.cend(); ++it)
        if (it.key() != kCmdRecentPlaceholder) it.value()->setEnabled(commandEnabled(it.key(), s));
    const QString title =
        QFileInfo(fromBytes(session_.database.openCatalogPath())).fileName() + " - Varnel";
    if (windowTitle() != title) setWindowTitle(title);
}

void CMainFrame::showAbout() {
    QMessageBox box(this);
    box.setWindowTitle(QStringLiteral("About Varnel"));
    box.setIconPixmap(applicationIcon().pixmap(48, 48));
    box.setText(QStringLiteral("Varnel 1.2 Version"));
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

void CMainFrame::scan() {
    const ScanCommandResult result =
        ScanCommand(session_.services, session_.workspace, scanDialogs_, *progress_,
                    toBytes(address_->currentText()));
    if (result.outcome != ScanOutcome::Scanned) return;
    if (result.layoutNeeded)
        view_->LayoutView();
    else
        view_->page().RefreshPage(true);
}

void CMainFrame::runSavedSearch(int32_t position) {
    if (session_.services.catalogBusy()) return;
    session_.search.runSavedSearch(position, -1);
    view_->page().requestRefresh();
    updateCommandStates();
}

void CMainFrame::openSearchDialog(bool managed) {
    if (session_.services.catalogBusy()) return;
    const int32_t columns = session_.workspace.settings().pageColumnCount;
    CSearchDialog::OpenSearchDialog(this, session_.searches,
                                    session_.workspace.settings().pageColumnCount, prompt_, managed,
                                    [this](int32_t position) { runSavedSearch(position); });
    // "exit" may have changed the page's column count.
    if (session_.workspace.settings().pageColumnCount != columns) rewriteSearchPage();
}

void CMainFrame::rewriteSearchPage() {
    session_.refreshSearchPage();
    view_->showResultPage(session_.workspace.paths().resultPage);
}

// The searches page: a page left by another run may list other searches, so it is written
// from this run's list before it is first shown. Its links act once the click is over, since a
// dialog must not open inside the browser's navigation call.
void CMainFrame::connectResultPage() {
    rewriteSearchPage();
    view_->resultPageNavigate = [this](const std::string& url) {
        if (classifyResultPageLink(url).kind == ResultPageLink::LoadPage) return true;
        QTimer::singleShot(0, this, [this, url] {
            if (session_.services.catalogBusy()) return;
            bool cancel = true;
            onResultPageNavigate(url, cancel, session_.catalog, session_.search, prompt_,
                                 [this] { openSearchDialog(true); });
            view_->page().requestRefresh();
            updateCommandStates();
        });
        return false;
    };
    // A page that titles itself "ok" is done: back to the file list.
    view_->resultPageTitleOk = [this] { view_->setViewMode(1); };
}

void CMainFrame::runCommand(int id) {
    Catalog& catalog = session_.catalog;
    FilePage& page = view_->page();
    if (id >= kCmdSavedSearchFirst && id <= kCmdSavedSearchLast) {
        runSavedSearch(id - kCmdSavedSearchFirst);
        return;
    }
    if (id >= kCmdRecentFirst && id <= kCmdRecentLast) {
        session_.fileCommands.loadRecentCatalog(id - kCmdRecentFirst);
        view_->LayoutView();
        return;
    }
    switch (id) {
        case kCmdNew:
            session_.fileCommands.newCatalog();
            break;
        case kCmdOpen:
            session_.fileCommands.openCatalogDialog();
            break;
        case kCmdSave:
            session_.database.writeCatalogFile(session_.database.openCatalogPath(), nullptr);
            break;
        case kCmdSaveAs:
            session_.fileCommands.saveCatalogAs();
            break;
        case kCmdClose:
            session_.fileCommands.closeCatalog();
            break;
        case kCmdImport:
            session_.fileCommands.importCatalog();
            break;
        case kCmdExport:
            session_.fileCommands.exportCatalog();
            break;
        case kCmdExit:
            close();
            break;
        case kCmdCopy:
            fileOperations_->copyRecords();
            break;
        case kCmdPaste:
            fileOperations_->pasteRecords();
            break;
        case kCmdDelete:
            fileOperations_->deleteSelected();
            break;
        case kCmdCopyUrl:
            fileOperations_->copyUrls();
            break;
        case kCmdSelectAll:
            page.selectAll();
            break;
        case kCmdDirectory: {
            LayoutOptions& options = view_->layoutOptions();
            options.folderPaneShown = !options.folderPaneShown;
            // The mark stays as it was: the timer sees the difference and lays the view out.
            actions_.value(kCmdDirectory)->setChecked(!options.folderPaneShown);
            break;
        }
        case kCmdUp:
            page.moveFocus(-1, false);
            break;
        case kCmdDown:
            page.moveFocus(1, false);
            break;
        case kCmdForward:
        case kCmdBack:
            if (id == kCmdBack)
                catalog.historyBack();
            else
                catalog.historyForward();
            page.RefreshPage(true);
            view_->folderPane()->revealPath(page.viewAddress());
            break;
        case kCmdRefresh:
            RefreshCommand(session_.services, session_.monitor, page.pageSize());
            page.requestRefresh();
            break;
        case kCmdPreview:
        case kCmdPreviewContext:
            view_->setViewMode(2);
            break;
        case kCmdTabForward: {
            const int mode = catalog.page().viewMode + 1;
            view_->setViewMode(mode > 2 ? 0 : mode);
            break;
        }
        case kCmdSearchFile:
            scan();
            break;
        case kCmdSearch:
            openSearchDialog(false);
            break;
        case kCmdShowAll:
            catalog.historyPushList(kMasterList);
            if (catalog.page().viewMode != 1)
                view_->setViewMode(1);
            else
                page.RefreshPage(true);  // and the bar shows "*"
            break;
        case kCmdKeep:
            keepSelection(catalog, prompt_);
            page.requestRefresh();
            break;
        case kCmdDrop:
            dropSelection(catalog, prompt_);
            page.requestRefresh();
            break;
        case kCmdSidePreview:
            view_->layoutOptions().lowerPreviewShown = !view_->layoutOptions().lowerPreviewShown;
            page.sidePreview = view_->layoutOptions().lowerPreviewShown;
            view_->LayoutView();
            break;
        case kCmdShow:
            show();
            raise();
            activateWindow();
            break;
        case kCmdHide:
            hide();
            break;
        case kCmdNextPane:
            focusNextChild();
            break;
        case kCmdPrevPane:
            focusPreviousChild();
            break;
        case kCmdAbout:
            showAbout();
            break;
        case kCmdLogIn:
            session_.ftp.LogIn();
            break;
        case kCmdLogOut:
            session_.ftp.LogOut();
            break;
        case kCmdShare:
            shareCommands_->showShareFolder();
            break;
        case kCmdShareUser:
            shareCommands_->editAccount();
            break;
        case kCmdOffline:
            session_.ftp.ToggleOffline();
            actions_.value(kCmdOffline)->setChecked(session_.ftp.offline());
            break;
        default:
            break;  // listed, but their operations are not part of the program yet
    }
    updateCommandStates();
}

void CMainFrame::start(const std::string& commandLineCatalog) {
    view_->startTimer();
    session_.openStartCatalog(commandLineCatalog);
    view_->InitTree();
    view_->LayoutView();
    updateCommandStates();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (!session_.closeDown()) {
        event->ignore();
        return;
    }
    CWindowState::save(*this, view_->layoutOptions(), *view_->fileList()->header());
    event->accept();
}

}  // namespace varnel
