#include "gui/accountdialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "gui/guiprompt.h"
#include "platform/prompt.h"

namespace varnel {

namespace {
QLineEdit* makeEdit(const char* name, const std::string& text, int maxLength, bool secret,
                    QWidget* parent) {
    auto* edit = new QLineEdit(fromBytes(text), parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMaxLength(maxLength);
    if (secret) edit->setEchoMode(QLineEdit::Password);
    return edit;
}
}  // namespace

CAccountDialog::CAccountDialog(const AccountForm& initial,
                               std::function<std::string(const AccountForm&)> check, Prompt& prompt,
                               QWidget* parent)
    : QDialog(parent), check_(std::move(check)), prompt_(prompt) {
    setObjectName(QStringLiteral("accountDialog"));
    setWindowTitle(QStringLiteral("Set user account "));
    const int user = static_cast<int>(kAccountUserMax);
    const int password = static_cast<int>(kAccountPasswordMax);
    user_ = makeEdit("user", initial.user, user, false, this);
    password_ = makeEdit("passwd", initial.password, password, true, this);
    confirm_ = makeEdit("confirm", initial.confirm, password, true, this);
    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("user:"), user_);
    fields->addRow(QStringLiteral("passwd:"), password_);
    fields->addRow(QStringLiteral("confirm:"), confirm_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CAccountDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(buttons);
}

AccountForm CAccountDialog::form() const {
    return {toBytes(user_->text()), toBytes(password_->text()), toBytes(confirm_->text())};
}

void CAccountDialog::accept() {
    const std::string refusal = check_ ? check_(form()) : std::string();
    if (!refusal.empty()) {
        prompt_.tell(refusal);
        return;
    }
    QDialog::accept();
}

}  // namespace varnel
