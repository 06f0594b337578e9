#include "gui/logindialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "catalog/tables.h"
#include "gui/guiprompt.h"

namespace varnel {

LoginDialog::LoginDialog(const LoginForm& form, QWidget* parent) : QDialog(parent), form_(form) {
    setWindowTitle(QStringLiteral("Login"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Please input user name and password"), this));
    // Shown again after a refusal: the server's own words say what was wrong.
    if (!form_.message.empty()) {
        auto* refused = new QLabel(fromBytes(form_.message), this);
        refused->setObjectName(QStringLiteral("refusal"));
        refused->setWordWrap(true);
        layout->addWidget(refused);
    }
    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("Ftp Server:"), new QLabel(fromBytes(form_.server), this));
    user_ = new QComboBox(this);
    user_->setEditable(true);
    user_->setInsertPolicy(QComboBox::NoInsert);
    for (const std::string& name : form_.userNames) user_->addItem(fromBytes(name));
    fields->addRow(QStringLiteral("User name:"), user_);
    password_ = new QLineEdit(this);
    password_->setEchoMode(QLineEdit::Password);
    fields->addRow(QStringLiteral("Password:"), password_);
    layout->addLayout(fields);
    anonymous_ = new QCheckBox(QStringLiteral("Anonymous"), this);
    save_ = new QCheckBox(QStringLiteral("Save password"), this);
    layout->addWidget(anonymous_);
    layout->addWidget(save_);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("&Login"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QDialogButtonBox::Cancel);
    layout->addWidget(buttons);
    showForm();

    connect(user_, qOverload<int>(&QComboBox::activated), this, [this](int index) {
        chooseLoginUser(form_, index);
        showForm();
    });
    connect(user_, &QComboBox::editTextChanged, this,
            [this](const QString& text) { form_.user = toBytes(text); });
    connect(password_, &QLineEdit::textEdited, this,
            [this](const QString& text) { form_.password = toBytes(text); });
    connect(anonymous_, &QCheckBox::toggled, this, [this](bool ticked) {
        setLoginAnonymous(form_, ticked);
        showForm();
    });
    connect(save_, &QCheckBox::toggled, this, [this](bool ticked) { form_.save = ticked; });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void LoginDialog::showForm() {
    const QSignalBlocker userQuiet(user_), passwordQuiet(password_);
    const QSignalBlocker anonymousQuiet(anonymous_), saveQuiet(save_);
    user_->setEditText(fromBytes(form_.user));
    password_->setText(fromBytes(form_.password));
    anonymous_->setChecked(form_.anonymous);
    save_->setChecked(form_.save);
}

namespace {

bool runDialog(QDialog& dialog, const std::function<void(QDialog&)>& onOpen) {
    if (onOpen) QTimer::singleShot(0, &dialog, [&dialog, onOpen] { onOpen(dialog); });
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace

void GuiRemoteDialogs::answerWith(const std::string& host, const std::string& user,
                                  const std::string& password) {
    answerHost_ = host;
    answerUser_ = user;
    answerPassword_ = password;
}

bool GuiRemoteDialogs::login(LoginForm& form) {
    if (!answerHost_.empty() && equalIgnoringCase(answerHost_, form.server)) {
        // "Save password" keeps what the form says: a saved login stays saved, renewed.
        form.user = answerUser_;
        form.password = answerPassword_;
        form.anonymous = false;
        answerWith({}, {}, {});
        return true;
    }
    bool accepted = false;
    onUiThread([&] {
        LoginDialog dialog(form, parent_);
        accepted = runDialog(dialog, onOpen);
        if (accepted) form = dialog.form();
    });
    return accepted;
}

bool GuiRemoteDialogs::networkFolder(std::string& name) {
    bool accepted = false;
    onUiThread([&] {
        QDialog dialog(parent_);
        dialog.setWindowTitle(QStringLiteral("Input network folder to login:"));
        auto* layout = new QVBoxLayout(&dialog);
        auto* edit = new QLineEdit(fromBytes(name), &dialog);
        edit->setMaxLength(2048);
        edit->setMinimumWidth(360);
        layout->addWidget(edit);
        auto* buttons =
            new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
        layout->addWidget(buttons);
        QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
        QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
        accepted = runDialog(dialog, onOpen);
        if (accepted) name = toBytes(edit->text());
    });
    return accepted;
}

}  // namespace varnel
