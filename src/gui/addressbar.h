#pragma once
// The address bar: an editable drop-down of the remembered addresses. Return goes to exactly
// the text in the bar (completion only offers, in a popup, and never fills in by itself), a
// click into the bar selects its whole text, and Escape puts the shown view's address back.
#include <QComboBox>
#include <functional>

namespace varnel {

class CAddressBar : public QComboBox {
    Q_OBJECT
  public:
    explicit CAddressBar(QWidget* parent);

    // Replaces the drop-down's entries and leaves the text in the bar as it is.
    void setEntries(const QStringList& entries);

    // The address of the view on the page, which Escape restores.
    std::function<QString()> viewAddress;

  signals:
    // Return in the bar, with the bar's text.
    void entered(const QString& text);
    // The user changed the text (typing, deleting, pasting), not the program.
    void typed(const QString& text);
    // Escape, before the bar takes back the shown view's address.
    void escaped();
};

}  // namespace varnel
