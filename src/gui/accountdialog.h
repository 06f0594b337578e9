#pragma once
// "Set user account ": the share account's name and password, with the password typed twice.
// OK keeps the dialog open until the check accepts the form.
#include <QDialog>
#include <functional>
#include <string>

#include "remote/shareaccount.h"

class QLineEdit;

namespace varnel {

class Prompt;

class CAccountDialog : public QDialog {
    Q_OBJECT
  public:
    // `check` returns "" to accept the form, else the message to show.
    CAccountDialog(const AccountForm& initial, std::function<std::string(const AccountForm&)> check,
                   Prompt& prompt, QWidget* parent);

    AccountForm form() const;
    QLineEdit* userEdit() const { return user_; }
    QLineEdit* passwordEdit() const { return password_; }
    QLineEdit* confirmEdit() const { return confirm_; }

    void accept() override;

  private:
    std::function<std::string(const AccountForm&)> check_;
    Prompt& prompt_;
    QLineEdit* user_;
    QLineEdit* password_;
    QLineEdit* confirm_;
};

}  // namespace varnel
