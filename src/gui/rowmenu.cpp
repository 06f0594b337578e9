#include "gui/rowmenu.h"

#include <QMenu>

#include "app/commandtable.h"
#include "app/session.h"
#include "catalog/extract.h"
#include "catalog/tables.h"
#include "gui/guiprompt.h"
#include "gui/mainview.h"
#include "gui/notedialog.h"
#include "view/noteedit.h"
#include "view/rowmenu.h"

namespace varnel {

CRowMenu::CRowMenu(CMainView& view, AppSession& session, Progress& progress)
    : QObject(&view), view_(view), session_(session), opener_(session, progress) {}

void CRowMenu::popup(int row, const QPoint& globalPos) {
    FilePage& page = view_.page();
    if (page.catalogHeld()) return;
    Catalog& catalog = session_.catalog;
    const int list = catalog.currentList();
    const int64_t index = int64_t{page.topIndex()} + row;
    const bool hit = row >= 0 && list >= 0 && index < catalog.recordCount(list);
    if (!hit) {
        page.clearSelection();
    } else {
        context_ = static_cast<int32_t>(index);
        if (catalog.findSameFile(kSelectionList, list, context_) < 0)
            page.SelectRow(row, false, false);
    }
    page.RefreshPage(false);

    RowMenuState state;
    state.selectedCount = catalog.recordCount(kSelectionList);
    state.clipboardCount = catalog.recordCount(kClipboardList);
    state.shareListShown = list == kShareList;
    state.rowHit = hit;
    QMenu menu(view_.fileList());
    menu.setObjectName(QStringLiteral("rowMenu"));
    for (const MenuItem& item : rowMenu(state)) {
        if (item.id == 0) {
            menu.addSeparator();
            continue;
        }
        QAction* a = menu.addAction(QString::fromLatin1(item.text));
        a->setData(item.id);
        a->setEnabled(item.enabled);
    }
    if (QAction* chosen = menu.exec(globalPos)) run(chosen->data().toInt());
}

namespace {
void call(const std::function<void()>& operation) {
    if (operation) operation();
}
}  // namespace

void CRowMenu::run(int id) {
    Catalog& catalog = session_.catalog;
    switch (id) {
        case kRowOpenFile:
            openSelected(context_);
            break;
        case kRowOpenFolder: {
            const int list = catalog.currentList();
            if (list >= 0 && context_ >= 0 && context_ < catalog.recordCount(list))
                opener_.openFolder(catalog.recordFolder(list, context_));
            break;
        }
        case kRowBrowseFolder:
            if (catalog.recordCount(kSelectionList) > 0 && browseFolder)
                browseFolder(catalog.recordFolder(kSelectionList, 0));
            break;
        case kRowModifyNote:
            modifyNote();
            break;
        case kRowPreview:
            if (view_.command) view_.command(kCmdPreviewContext);
            break;
        case kRowRefresh:
            if (view_.command) view_.command(kCmdRefresh);
            break;
        case kRowCopy:
            call(operations.copyRecords);
            break;
        case kRowPaste:
            call(operations.pasteRecords);
            break;
        case kRowDelete:
            call(operations.deleteSelected);
            break;
        case kRowRename:
            call(operations.renameSelected);
            break;
        case kRowCopyUrl:
            call(operations.copyUrls);
            break;
        case kRowExplore:
            call(operations.exploreSelection);
            break;
        case kRowStartShare:
            call(operations.startShare);
            break;
        case kRowStopShare:
            call(operations.stopShare);
            break;
        case kRowExtract:
            extractFiles(catalog, session_.database, session_.prompt);
            break;
        case kRowExport:
            session_.fileCommands.saveCatalogAs();
            break;
        default:
            break;
    }
    view_.page().requestRefresh();
}

void CRowMenu::openSelected(int32_t clicked) {
    Catalog& catalog = session_.catalog;
    const int list = catalog.currentList();
    if (list < 0 || clicked < 0 || clicked >= catalog.recordCount(list)) return;
    if (catalog.recordCount(kSelectionList) == 0) return;
    opener_.openFile(catalog.recordFolder(kSelectionList, 0),
                     catalog.recordName(kSelectionList, 0),
                     *catalog.recordSize(kSelectionList, 0));
}

void CRowMenu::modifyNote() {
    Catalog& catalog = session_.catalog;
    if (catalog.recordCount(kSelectionList) == 0) return;
    const NoteDialogSetup setup = noteDialogSetup(catalog);
    NoteDialog dialog(fromBytes(setup.title), fromBytes(setup.text), view_.window());
    while (dialog.exec() == QDialog::Accepted) {
        if (applyNote(catalog, toBytes(dialog.text()))) {
            view_.page().RefreshPage(false);
            return;
        }
        session_.prompt.tell(kNoteTooLong);
    }
}

}  // namespace varnel
