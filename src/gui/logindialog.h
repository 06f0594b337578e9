#pragma once
// The FTP login dialog ("Login") and the network folder dialog ("Input network folder to
// login:"). They only draw the forms; the rules of filling them live with the FTP session.
#include <QDialog>
#include <functional>

#include "remote/loginform.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace varnel {

class LoginDialog : public QDialog {
    Q_OBJECT
  public:
    LoginDialog(const LoginForm& form, QWidget* parent);
    LoginForm form() const { return form_; }

    QComboBox* userBox() const { return user_; }
    QLineEdit* passwordEdit() const { return password_; }
    QCheckBox* anonymousBox() const { return anonymous_; }
    QCheckBox* saveBox() const { return save_; }

  private:
    void showForm();

    LoginForm form_;
    QComboBox* user_;
    QLineEdit* password_;
    QCheckBox* anonymous_;
    QCheckBox* save_;
};

class GuiRemoteDialogs : public RemoteDialogs {
  public:
    explicit GuiRemoteDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    bool login(LoginForm& form) override;
    bool networkFolder(std::string& name) override;

    void setParent(QWidget* parent) { parent_ = parent; }
    // A login written into a typed address answers the dialog of that host, once, unseen;
    // an empty host withdraws it.
    void answerWith(const std::string& host, const std::string& user,
                    const std::string& password);
    // Called with each dialog before it runs; tests fill and confirm it from here.
    std::function<void(QDialog&)> onOpen;

  private:
    QWidget* parent_;
    std::string answerHost_, answerUser_, answerPassword_;
};

}  // namespace varnel
