#include "gui/notedialog.h"

#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace varnel {

NoteDialog::NoteDialog(const QString& title, const QString& text, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("noteDialog"));
    setWindowTitle(title);
    edit_ = new QPlainTextEdit(text, this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    clear_ = buttons->addButton(QStringLiteral("Clear"), QDialogButtonBox::ActionRole);
    // Clear empties the text and leaves the dialog open.
    connect(clear_, &QPushButton::clicked, edit_, &QPlainTextEdit::clear);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(edit_);
    layout->addWidget(buttons);
    resize(420, 220);
}

QString NoteDialog::text() const {
    return edit_->toPlainText();
}

}  // namespace varnel
