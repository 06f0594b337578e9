#include "gui/sharecommands.h"

#include "app/session.h"
#include "gui/accountdialog.h"
#include "remote/shareaccount.h"
#include "remote/sharecommand.h"
#include "view/page.h"

namespace varnel {

CShareCommands::CShareCommands(AppSession& session, Progress& progress, FilePage& page,
                               std::function<void(const std::string&)> goTo, QWidget* window)
    : QObject(window),
      session_(session),
      page_(page),
      goTo_(std::move(goTo)),
      window_(window),
      context_{session.services, progress, session.workspace.paths().shareFolder, nullptr,
               [&session] { session.sharing.RefreshShare(); }} {
    session_.sharing.shareListChanged = [this] {
        page_.sharedCount = -1;
        page_.requestRefresh();
    };
}

// The session outlives the window: it must not call back into a page that is gone.
CShareCommands::~CShareCommands() {
    session_.sharing.shareListChanged = nullptr;
}

void CShareCommands::share() {
    ShareSelection(context_, session_.sharing);
    page_.requestRefresh();
}

void CShareCommands::stopShare() {
    session_.sharing.StopShare();
}

void CShareCommands::showShareFolder() {
    if (goTo_) goTo_(session_.sharing.shareFolder());
    session_.sharing.RefreshShare();
}

void CShareCommands::editAccount() {
    Settings& settings = session_.workspace.settings();
    CAccountDialog dialog(
        accountFormFor(settings),
        [this, &settings](const AccountForm& form) {
            return acceptAccount(form, settings, session_.sharing);
        },
        session_.prompt, window_);
    dialog.exec();
}

}  // namespace varnel
