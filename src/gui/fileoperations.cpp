#include "gui/fileoperations.h"

#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QMimeData>
#include <QUrl>

#include "app/session.h"
#include "catalog/tables.h"
#include "fileops/deletefiles.h"
#include "fileops/paste.h"
#include "fileops/renamefiles.h"
#include "fileops/selectiontext.h"
#include "gui/desktopfilemenu.h"
#include "gui/foldertree.h"
#include "gui/guiprompt.h"
#include "gui/mainview.h"
#include "gui/rowmenu.h"

namespace varnel {

namespace {
// Marks clipboard contents as ours, so that a paste takes the clipboard list, not files.
constexpr char kOwnMark[] = "application/x-varnel-records";
}  // namespace

CFileOperations::CFileOperations(CMainView& view, AppSession& session, Progress& progress,
                                 QWidget* window)
    : view_(view),
      session_(session),
      window_(window),
      context_{session.services, progress, session.workspace.paths().shareFolder,
               [this] { return view_.folderPane() ? view_.folderPane()->selectedPath() : ""; },
               [this] { session_.sharing.RefreshShare(); }} {}

void CFileOperations::copyRecords() {
    Catalog& catalog = session_.catalog;
    if (catalog.recordCount(kSelectionList) == 0) return;
    CopyRecords(context_);
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (int32_t i = 0; i < catalog.recordCount(kClipboardList); ++i) {
        const char* folder = catalog.recordFolder(kClipboardList, i);
        if (folder[0] == '/')
            urls.append(QUrl::fromLocalFile(
                fromBytes(std::string(folder) + catalog.recordName(kClipboardList, i))));
    }
    data->setUrls(urls);  // text/uri-list: what file managers paste
    data->setText(fromBytes(CopyUrlsText(catalog)));
    data->setData(QString::fromLatin1(kOwnMark), QByteArray("1"));
    QApplication::clipboard()->setMimeData(data);
}

std::vector<std::string> CFileOperations::desktopClipboardFiles() const {
    std::vector<std::string> files;
    const QMimeData* data = QApplication::clipboard()->mimeData();
    if (!data || data->hasFormat(QString::fromLatin1(kOwnMark)) || !data->hasUrls()) return files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) files.push_back(toBytes(url.toLocalFile()));
    return files;
}

void CFileOperations::pasteRecords() {
    if (session_.services.catalogBusy()) return;
    const std::vector<std::string> files = desktopClipboardFiles();
    if (files.empty()) {
        PasteRecords(context_);
    } else {
        session_.ftp.setOffline(false);
        PasteFilesTo(context_, files, "");
    }
    view_.page().requestRefresh();
}

void CFileOperations::deleteSelected() {
    if (session_.services.catalogBusy()) return;
    DeleteSelected(context_);
    view_.page().requestRefresh();
}

void CFileOperations::renameSelected() {
    if (session_.services.catalogBusy()) return;
    RenameSelected(context_);
    view_.page().requestRefresh();
}

void CFileOperations::copyUrls() {
    QApplication::clipboard()->setText(fromBytes(CopyUrlsText(session_.catalog)));
}

void CFileOperations::exploreSelection(const QPoint& at) {
    bool othersSkipped = false;
    const std::vector<std::string> files = menuFiles(session_.catalog, othersSkipped);
    if (othersSkipped) session_.prompt.tell(kSameFolderText);
    if (files.empty()) return;
    CDesktopFileMenu menu(files, window_);
    menu.exec(at);
}

void CFileOperations::connectTo(RowFileOperations& operations) {
    operations.copyRecords = [this] { copyRecords(); };
    operations.pasteRecords = [this] { pasteRecords(); };
    operations.deleteSelected = [this] { deleteSelected(); };
    operations.renameSelected = [this] { renameSelected(); };
    operations.copyUrls = [this] { copyUrls(); };
    operations.exploreSelection = [this] { exploreSelection(QCursor::pos()); };
}

}  // namespace varnel
