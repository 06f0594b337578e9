#include "gui/foldertree.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMessageBox>
#include <QMouseEvent>
#include <QSignalBlocker>

#include "foldertree/folderlist.h"
#include "foldertree/selectpath.h"
#include "gui/desktopfilemenu.h"
#include "gui/guiprompt.h"
#include "gui/icons.h"
#include "platform/paths.h"

namespace varnel {

namespace {
constexpr int kPathRole = Qt::UserRole;
constexpr int kSubfoldersRole = Qt::UserRole + 1;

QIcon themed(const char* name, const QIcon& fallback) {
    return QIcon::fromTheme(QString::fromLatin1(name), fallback);
}
}  // namespace

CFolderTree::CFolderTree(QWidget* parent) : QTreeWidget(parent) {
    setObjectName(QStringLiteral("folderTree"));
    setHeaderHidden(true);
    setUniformRowHeights(true);
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    header()->setStretchLastSection(false);
    folderIcon_ = themed("folder", toolIcon("folder"));
    connect(this, &QTreeWidget::itemExpanded, this, &CFolderTree::FillChildren);
    connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (notify_ && item) announce(item);
    });
    folderNotFound = [this](const std::string& path) {
        QMessageBox box(QMessageBox::Critical, QStringLiteral("Folder not found"), fromBytes(path),
                        QMessageBox::Ok, window());
        box.exec();
    };
}

QTreeWidgetItem* CFolderTree::addFolder(QTreeWidgetItem* parent, int at, const QString& text,
                                        const std::string& path, bool hasSubfolders,
                                        const QIcon& icon) {
    auto* item = new QTreeWidgetItem(QStringList{text});
    item->setData(0, kPathRole, QByteArray::fromStdString(path));
    item->setData(0, kSubfoldersRole, hasSubfolders);
    item->setIcon(0, icon);
    item->setChildIndicatorPolicy(hasSubfolders ? QTreeWidgetItem::ShowIndicator
                                                : QTreeWidgetItem::DontShowIndicatorWhenChildless);
    if (parent)
        parent->insertChild(at, item);
    else
        insertTopLevelItem(at, item);
    return item;
}

void CFolderTree::InitTree(const std::string& home, const std::vector<std::string>& driveRoots,
                           const std::string& mirrorRoot) {
    const QSignalBlocker muted(this);
    clear();
    int at = 0;
    addFolder(nullptr, at++, QStringLiteral("Home"), home, true,
              themed("user-home", folderIcon_));
    addFolder(nullptr, at++, QStringLiteral("/"), "/", true,
              themed("drive-harddisk", folderIcon_));
    for (const std::string& root : driveRoots)
        if (root != "/" && root != home)
            addFolder(nullptr, at++, fromBytes(root), root, true,
                      themed("drive-harddisk", folderIcon_));
    const std::string sites = mirrorRoot + "/";
    for (const TreeFolder& site : listSubfolders(sites))
        addFolder(nullptr, at++, fromBytes(site.name), sites + site.name + "/",
                  site.hasSubfolders, themed("folder-remote", folderIcon_));
}

std::string CFolderTree::itemPath(const QTreeWidgetItem* item) {
    return item ? item->data(0, kPathRole).toByteArray().toStdString() : std::string();
}

std::string CFolderTree::selectedPath() const {
    return itemPath(currentItem());
}

void CFolderTree::FillChildren(QTreeWidgetItem* item) {
    if (!item) return;
    const std::string path = itemPath(item);
    const std::vector<TreeFolder> fresh = listSubfolders(path);
    std::vector<TreeFolder> shown;
    shown.reserve(static_cast<size_t>(item->childCount()));
    for (int k = 0; k < item->childCount(); ++k) {
        const QTreeWidgetItem* child = item->child(k);
        shown.push_back({itemPath(child).substr(path.size()), child->data(0, kSubfoldersRole).toBool()});
        shown.back().name.pop_back();  // the trailing "/"
    }
    const ChildUpdate update = updateChildren(shown, fresh);
    const QSignalBlocker muted(this);
    for (size_t k : update.removed) delete item->takeChild(static_cast<int>(k));
    QList<QTreeWidgetItem*> batch;
    for (const auto& [at, folder] : update.added)
        addFolder(item, static_cast<int>(at), fromBytes(folder.name), path + folder.name + "/",
                  folder.hasSubfolders, folderIcon_);
    item->setChildIndicatorPolicy(item->childCount() > 0
                                      ? QTreeWidgetItem::ShowIndicator
                                      : QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

QTreeWidgetItem* CFolderTree::walkTo(const std::string& folder) {
    // From the selection's deepest ancestor that holds the folder, else from a top item.
    QTreeWidgetItem* item = currentItem();
    while (item && !isFolderPrefix(folder, itemPath(item))) item = item->parent();
    if (!item) {
        std::vector<std::string> roots;
        for (int k = 0; k < topLevelItemCount(); ++k) roots.push_back(itemPath(topLevelItem(k)));
        const int root = deepestRoot(roots, folder);
        if (root < 0) return nullptr;
        item = topLevelItem(root);
    }
    for (const std::string& level : levelsBelow(itemPath(item), folder)) {
        FillChildren(item);
        const std::string wanted = itemPath(item) + level + "/";
        QTreeWidgetItem* next = nullptr;
        for (int k = 0; k < item->childCount() && !next; ++k)
            if (itemPath(item->child(k)) == wanted) next = item->child(k);
        if (!next) break;
        item = next;
    }
    return item;
}

bool CFolderTree::SelectPath(const std::string& path) {
    const PathTarget target = resolvePath(path, [](const std::string& p) { return isFolder(p); });
    for (const std::string& missing : target.notFound)
        if (folderNotFound) folderNotFound(missing);
    if (target.folder.empty()) return false;
    QTreeWidgetItem* item = walkTo(target.folder);
    if (!item) return false;
    {
        const QSignalBlocker muted(this);
        setCurrentItem(item);
    }
    scrollToItem(item);
    announce(item);
    return true;
}

void CFolderTree::revealPath(const std::string& path) {
    if (path.empty() || path.front() != '/' || !isFolder(path)) return;
    std::string folder = path;
    if (folder.back() != '/') folder += '/';
    QTreeWidgetItem* item = walkTo(folder);
    if (!item) return;
    const QSignalBlocker muted(this);
    setCurrentItem(item);
    scrollToItem(item);
}

void CFolderTree::announce(QTreeWidgetItem* item) {
    FillChildren(item);
    if (folderSelected)
        folderSelected(itemPath(item), QApplication::keyboardModifiers() & Qt::ControlModifier);
}

// Focus alone makes the view pick a current item; that is no choice of the user's.
void CFolderTree::focusInEvent(QFocusEvent* event) {
    const QSignalBlocker muted(this);
    QTreeWidget::focusInEvent(event);
}

// A click on the selected folder opens it again; a click on a folder without children
// brings in those only the catalog knows of.
void CFolderTree::mousePressEvent(QMouseEvent* event) {
    QTreeWidgetItem* before = currentItem();
    QTreeWidget::mousePressEvent(event);
    QTreeWidgetItem* clicked = itemAt(event->position().toPoint());
    if (event->button() != Qt::LeftButton || !clicked || clicked != currentItem()) return;
    if (clicked == before) announce(clicked);
    if (clicked->childCount() == 0 && makeChildFolders && makeChildFolders(itemPath(clicked))) {
        FillChildren(clicked);
        clicked->setExpanded(true);
    }
}

void CFolderTree::contextMenuEvent(QContextMenuEvent* event) {
    QTreeWidgetItem* item = itemAt(event->pos());
    if (!item) return;
    setCurrentItem(item);  // shows its files first, as a left click would
    std::string folder = itemPath(item);
    if (folder.size() > 1) folder.pop_back();  // the desktop names folders without the "/"
    CDesktopFileMenu menu({folder}, window());
    menu.exec(event->globalPos());
}

}  // namespace varnel
