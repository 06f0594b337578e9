#include "gui/columnheader.h"

#include <QHeaderView>
#include <QMenu>

#include "catalog/tables.h"
#include "view/page.h"

namespace varnel {

CColumnHeader::CColumnHeader(QHeaderView* header, Catalog& catalog, FilePage& page)
    : QObject(header), header_(header), catalog_(catalog), page_(page), sort_(catalog, page) {
    header_->setSectionsClickable(true);
    header_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(header_, &QHeaderView::sectionClicked, this, [this](int column) {
        if (catalogHeld && catalogHeld()) return;
        sort_.headerClick(column);
    });
    connect(header_, &QHeaderView::customContextMenuRequested, this, [this](const QPoint& at) {
        showMenu(header_->logicalIndexAt(at), header_->viewport()->mapToGlobal(at));
    });
}

void CColumnHeader::showMenu(int column, const QPoint& globalPos) {
    if (catalogHeld && catalogHeld()) return;
    sort_.contextColumn = column;
    QMenu menu(header_);
    menu.setObjectName(QStringLiteral("columnMenu"));
    const bool hasView = catalog_.currentList() >= 0;
    for (const MenuItem& item :
         columnMenu(column, hasView, catalog_.recordCount(kSelectionList))) {
        QAction* a = menu.addAction(QString::fromLatin1(item.text));
        a->setData(item.id);
        a->setEnabled(item.enabled);
    }
    QAction* chosen = menu.exec(globalPos);
    if (chosen) sort_.runCommand(chosen->data().toInt());
}

}  // namespace varnel
