#pragma once
// The file list's column header: a click sorts by that column, a right click opens the column
// popup ("ascend", "descend", "filter", ...). The sorting itself is ColumnSort's.
#include <QObject>
#include <QPoint>
#include <functional>

#include "view/columnsort.h"

class QHeaderView;
class QMenu;

namespace varnel {

class Catalog;
class FilePage;

class CColumnHeader : public QObject {
    Q_OBJECT
  public:
    CColumnHeader(QHeaderView* header, Catalog& catalog, FilePage& page);

    ColumnSort& sort() { return sort_; }
    // The popup for `column`, at a global position; runs the chosen command.
    void showMenu(int column, const QPoint& globalPos);

    // True while a worker owns the catalog: clicks are ignored then.
    std::function<bool()> catalogHeld;

  private:
    QHeaderView* header_;
    Catalog& catalog_;
    FilePage& page_;
    ColumnSort sort_;
};

}  // namespace varnel
