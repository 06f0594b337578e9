#pragma once
// The window's share commands: Share the selected files, Stop share, show the share folder
// ("share") and the share account dialog ("&User..."). The rules live in the core.
#include <QObject>
#include <functional>
#include <string>

#include "fileops/fileopscontext.h"

class QWidget;

namespace varnel {

class AppSession;
class FilePage;
class Progress;

class CShareCommands : public QObject {
    Q_OBJECT
  public:
    // `goTo` shows an address as the address bar would; `page` recounts the share list.
    CShareCommands(AppSession& session, Progress& progress, FilePage& page,
                   std::function<void(const std::string&)> goTo, QWidget* window);
    ~CShareCommands() override;

    // Copies the selected files into the share folder (after asking) and shares it.
    void share();
    // Takes the share away; the files stay in the share folder.
    void stopShare();
    // Shows the share folder's files and brings the share in step with them.
    void showShareFolder();
    void editAccount();

  private:
    AppSession& session_;
    FilePage& page_;
    std::function<void(const std::string&)> goTo_;
    QWidget* window_;
    FileOpsContext context_;
};

}  // namespace varnel
