#pragma once
// The folder pane: the home folder, "/", the other mounted local file systems and the FTP
// sites (their mirror folders, by site name), folders only, filled when expanded and
// refreshed on every expand. Selecting a folder shows its files (folderSelected); a right
// click selects it and offers the desktop's menu for it.
#include <QTreeWidget>
#include <functional>
#include <string>
#include <vector>

namespace varnel {

class CFolderTree : public QTreeWidget {
    Q_OBJECT
  public:
    explicit CFolderTree(QWidget* parent);

    // `driveRoots` are the mounted local file systems (each ending with "/"), `mirrorRoot`
    // the folder that holds the FTP sites' mirror folders.
    void InitTree(const std::string& home, const std::vector<std::string>& driveRoots,
                  const std::string& mirrorRoot);
    // Brings the children of `item` up to date with the disk.
    void FillChildren(QTreeWidgetItem* item);
    // Selects the folder of `path`, or after "Folder not found" its nearest existing
    // ancestor, and shows its files once. False when nothing could be selected.
    bool SelectPath(const std::string& path);
    // Selects the folder of `path` quietly, when it exists: the tree follows a view that is
    // already shown (Back, Forward).
    void revealPath(const std::string& path);

    static std::string itemPath(const QTreeWidgetItem* item);
    std::string selectedPath() const;

    // A folder was selected: its path on disk, and whether Ctrl was held.
    std::function<void(const std::string& path, bool ctrl)> folderSelected;
    // "Folder not found" for a path; a message box unless a test says otherwise.
    std::function<void(const std::string& path)> folderNotFound;
    // A folder clicked while it shows no children may have some only the catalog knows of
    // (an FTP site's folders): makes them on disk, true when there were some.
    std::function<bool(const std::string& path)> makeChildFolders;

  protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

  private:
    QTreeWidgetItem* addFolder(QTreeWidgetItem* parent, int at, const QString& text,
                               const std::string& path, bool hasSubfolders, const QIcon& icon);
    QTreeWidgetItem* walkTo(const std::string& folder);
    void announce(QTreeWidgetItem* item);

    bool notify_ = true;
    QIcon folderIcon_;
};

}  // namespace varnel
