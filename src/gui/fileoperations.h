#pragma once
// The window's side of the file operations on the selected records: Copy and Paste (also
// with the desktop's clipboard, as a list of files), Delete, Rename and Copy url, and the
// file menu shown for the selected local files. The work itself is done by the core.
#include <QObject>
#include <QPoint>
#include <string>
#include <vector>

#include "fileops/fileopscontext.h"

class QWidget;

namespace varnel {

class AppSession;
class CMainView;
class Progress;
struct RowFileOperations;

class CFileOperations : public QObject {
    Q_OBJECT
  public:
    CFileOperations(CMainView& view, AppSession& session, Progress& progress, QWidget* window);

    // The selection becomes the clipboard list; the desktop's clipboard gets the local
    // files (text/uri-list, so a file manager can paste them) and their names as text.
    void copyRecords();
    // Files another program put on the desktop's clipboard are pasted first; otherwise the
    // clipboard list.
    void pasteRecords();
    void deleteSelected();
    void renameSelected();
    void copyUrls();
    // Our menu for the selected local files (Open, Open With..., Open Containing Folder,
    // Copy Path, Properties) at `at` (global coordinates).
    void exploreSelection(const QPoint& at);

    // The handlers of the row popup.
    void connectTo(RowFileOperations& operations);
    FileOpsContext& context() { return context_; }

  private:
    // Local files the desktop's clipboard names, when another program put them there.
    std::vector<std::string> desktopClipboardFiles() const;

    CMainView& view_;
    AppSession& session_;
    QWidget* window_;
    FileOpsContext context_;
};

}  // namespace varnel
