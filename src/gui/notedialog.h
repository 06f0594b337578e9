#pragma once
// The "Note" dialog: a multi-line note with OK, Cancel and "Clear".
#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace varnel {

class NoteDialog : public QDialog {
    Q_OBJECT
  public:
    NoteDialog(const QString& title, const QString& text, QWidget* parent);

    QString text() const;
    QPlainTextEdit* editor() const { return edit_; }
    QPushButton* clearButton() const { return clear_; }

  private:
    QPlainTextEdit* edit_;
    QPushButton* clear_;
};

}  // namespace varnel
