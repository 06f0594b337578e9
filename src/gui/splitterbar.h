#pragma once
// A thin bar the user drags to resize the panes of the main view. While it is dragged only an
// outline follows the mouse; when the button is let go the bar reports where it was dropped
// and the view lays itself out again.
#include <QWidget>
#include <functional>

#include "view/layout.h"

class QRubberBand;

namespace varnel {

class CSplitterBar : public QWidget {
    Q_OBJECT
  public:
    CSplitterBar(SplitterOrientation orientation, QWidget* parent);

    // Called on the drop with the bar's new leading edge in the parent's coordinates.
    std::function<void(int position)> dropped;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    // The bar's rectangle moved so its leading edge lies at the mouse.
    QRect dragRect(QMouseEvent* event) const;

    SplitterOrientation orientation_;
    QRubberBand* outline_ = nullptr;
    bool dragging_ = false;
};

}  // namespace varnel
