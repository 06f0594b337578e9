#pragma once
// The file list's row popup and the commands behind it that belong to the list: open the
// file or its folder, show the folder in the tree, edit notes. The file operations (copy,
// paste, delete, rename, share, ...) are reached through one seam each.
#include <QObject>
#include <QPoint>
#include <cstdint>
#include <functional>
#include <string>

#include "gui/fileopener.h"

namespace varnel {

class AppSession;
class CMainView;

// One handler per file operation of the popup. Empty until those operations exist; an empty
// handler leaves the command without effect.
struct RowFileOperations {
    std::function<void()> copyRecords;
    std::function<void()> pasteRecords;
    std::function<void()> deleteSelected;
    std::function<void()> renameSelected;
    std::function<void()> copyUrls;
    std::function<void()> exploreSelection;
    std::function<void()> startShare;
    std::function<void()> stopShare;
};

class CRowMenu : public QObject {
    Q_OBJECT
  public:
    CRowMenu(CMainView& view, AppSession& session, Progress& progress);

    // A right click on page row `row` (-1 past the rows): the selection as the click leaves
    // it, then the popup at `globalPos`.
    void popup(int row, const QPoint& globalPos);
    void run(int id);

    // Double click and "&Open file": the first selected record, when the record clicked lies
    // in the view.
    void openSelected(int32_t clicked);
    void modifyNote();

    int32_t contextRecord() const { return context_; }
    RowFileOperations operations;
    // Selects a folder in the folder tree ("&Browse folder").
    std::function<void(const std::string& folder)> browseFolder;
    CFileOpener& opener() { return opener_; }

  private:
    CMainView& view_;
    AppSession& session_;
    CFileOpener opener_;
    int32_t context_ = -1;
};

}  // namespace varnel
