#include "gui/splitterbar.h"

#include <QMouseEvent>
#include <QPainter>
#include <QRubberBand>

namespace varnel {

CSplitterBar::CSplitterBar(SplitterOrientation orientation, QWidget* parent)
    : QWidget(parent), orientation_(orientation) {
    setCursor(orientation == SplitterOrientation::Vertical ? Qt::SplitHCursor : Qt::SplitVCursor);
}

void CSplitterBar::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), QColor(212, 208, 200));
}

QRect CSplitterBar::dragRect(QMouseEvent* event) const {
    const QPoint at = mapToParent(event->position().toPoint());
    QRect r = geometry();
    if (orientation_ == SplitterOrientation::Vertical)
        r.moveLeft(at.x());
    else
        r.moveTop(at.y());
    return r;
}

void CSplitterBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    dragging_ = true;
    if (!outline_) outline_ = new QRubberBand(QRubberBand::Line, parentWidget());
    outline_->setGeometry(dragRect(event));
    outline_->show();
}

void CSplitterBar::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_ && (event->buttons() & Qt::LeftButton)) outline_->setGeometry(dragRect(event));
}

void CSplitterBar::mouseReleaseEvent(QMouseEvent* event) {
    if (!dragging_ || event->button() != Qt::LeftButton) return;
    dragging_ = false;
    outline_->hide();
    const QRect r = dragRect(event);
    if (dropped) dropped(orientation_ == SplitterOrientation::Vertical ? r.left() : r.top());
}

}  // namespace varnel
