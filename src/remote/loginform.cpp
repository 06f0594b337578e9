#include "remote/loginform.h"

namespace varnel {

void chooseLoginUser(LoginForm& form, int index) {
    if (index < 0 || static_cast<size_t>(index) >= form.userNames.size()) return;
    form.user = form.userNames[static_cast<size_t>(index)];
    if (static_cast<size_t>(index) < form.savedPasswords.size())
        form.password = form.savedPasswords[static_cast<size_t>(index)];
}

void setLoginAnonymous(LoginForm& form, bool ticked) {
    form.anonymous = ticked;
    if (!ticked) return;
    form.user = "Anonymous";
    form.password = "Varnel@";
}

}  // namespace varnel
