#include "gui/addressbar.h"

#include <QCompleter>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

namespace varnel {

namespace {

// The bar's edit field. It takes Return itself: the combo box would otherwise treat Return as
// choosing the entry that equals the text, ignoring letter case, and go there instead.
class AddressEdit : public QLineEdit {
  public:
    explicit AddressEdit(CAddressBar& bar) : QLineEdit(&bar), bar_(bar) {}

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        switch (event->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                emit bar_.entered(text());
                return;
            case Qt::Key_Escape:
                emit bar_.escaped();
                if (bar_.viewAddress) setText(bar_.viewAddress());
                selectAll();
                return;
            default:
                QLineEdit::keyPressEvent(event);
        }
    }
    // The click that brings the focus in selects the whole address, as in a browser; a drag
    // that selects part of it is left alone, and so is a later click that places the cursor.
    void focusInEvent(QFocusEvent* event) override {
        QLineEdit::focusInEvent(event);
        selectOnRelease_ = event->reason() == Qt::MouseFocusReason;
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        QLineEdit::mouseReleaseEvent(event);
        if (selectOnRelease_ && !hasSelectedText()) selectAll();
        selectOnRelease_ = false;
    }

  private:
    CAddressBar& bar_;
    bool selectOnRelease_ = false;
};

}  // namespace

CAddressBar::CAddressBar(QWidget* parent) : QComboBox(parent) {
    setObjectName(QStringLiteral("address"));
    setEditable(true);
    setLineEdit(new AddressEdit(*this));
    setInsertPolicy(QComboBox::NoInsert);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    // Inline completion would put a longer remembered address into the bar, and Return would
    // then go there. Paths are case-sensitive, so is the offer.
    completer()->setCompletionMode(QCompleter::PopupCompletion);
    completer()->setCaseSensitivity(Qt::CaseSensitive);
    connect(lineEdit(), &QLineEdit::textEdited, this, &CAddressBar::typed);
}

void CAddressBar::setEntries(const QStringList& entries) {
    const QString typed = currentText();
    clear();
    addItems(entries);
    setEditText(typed);
}

}  // namespace varnel
