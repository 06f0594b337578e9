#pragma once
// The top-level window: menu bar, toolbar, address bar, status bar and the main view. It
// turns commands into calls of the core's operations and keeps their enabled states.
#include <QHash>
#include <QMainWindow>
#include <functional>
#include <memory>
#include <string>

#include "gui/addressbar.h"
#include "gui/progressdialog.h"
#include "gui/scandialog.h"
#include "platform/keylocks.h"

class QAction;
class QLabel;
class QMenu;

namespace varnel {

class AppSession;
class CMainView;
class CFileOperations;
class CRowMenu;
class CShareCommands;
class CTypedSearchBar;
class GuiPrompt;
class GuiRemoteDialogs;

class CMainFrame : public QMainWindow {
    Q_OBJECT
  public:
    CMainFrame(AppSession& session, GuiPrompt& prompt);
    ~CMainFrame() override;

    // Opens the start catalog and shows the first page.
    void start(const std::string& commandLineCatalog);
    void runCommand(int id);
    // Runs the saved search at `position` into a new view and shows it.
    void runSavedSearch(int32_t position);
    // The search dialog; `managed` opens it with the saved searches shown.
    void openSearchDialog(bool managed);
    void updateCommandStates();

    QAction* action(int id) const { return actions_.value(id); }
    CAddressBar* addressBar() const { return address_; }
    CTypedSearchBar* typedSearchBar() const { return typedSearch_; }
    QLabel* messagePane() const { return message_; }
    CMainView* mainView() const { return view_; }
    CRowMenu* rowMenu() const { return rowMenu_; }
    CShareCommands* shareCommands() const { return shareCommands_; }
    CFileOperations* fileOperations() const { return fileOperations_; }
    GuiScanDialogs& scanDialogs() { return scanDialogs_; }
    GuiProgress& progress() { return *progress_; }

    void onAddressEnter();
    void onAddressPicked(int index);
    void fillAddressBar();
    // The login dialogs, which a login written into a typed FTP address answers.
    void setLoginDialogs(GuiRemoteDialogs* dialogs) { loginDialogs_ = dialogs; }
    void showAbout();

    // Where the keyboard lights are read from; tests point it at a folder of their own.
    void setKeyLightsFolder(const std::string& folder) { keyLights_ = KeyLights(folder); }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QAction* makeAction(int id, const QString& text);
    void buildMenus();
    void buildToolBar();
    void buildStatusBar();
    void rebuildRecentMenu();
    void rebuildSavedSearchMenu();
    void connectResultPage();
    // Writes the searches page from the list as it is and has the pane load it when shown.
    void rewriteSearchPage();
    void goTo(const std::string& text);
    void navigateTo(std::string text, bool typed);
    void scan();
    bool syncMenuChecks();
    void showKeyLocks();

    AppSession& session_;
    GuiPrompt& prompt_;
    CMainView* view_;
    CRowMenu* rowMenu_;
    CShareCommands* shareCommands_;
    CFileOperations* fileOperations_;
    CAddressBar* address_;
    CTypedSearchBar* typedSearch_ = nullptr;
    GuiRemoteDialogs* loginDialogs_ = nullptr;
    QLabel* message_;
    QLabel* lockPanes_[3] = {};
    KeyLights keyLights_;
    QMenu* fileMenu_ = nullptr;
    QMenu* viewMenu_ = nullptr;
    QAction* recentAnchor_ = nullptr;
    QList<QAction*> recentItems_;
    QList<QAction*> savedSearchItems_;
    QHash<int, QAction*> actions_;
    GuiScanDialogs scanDialogs_;
    std::unique_ptr<GuiProgress> progress_;
};

}  // namespace varnel
