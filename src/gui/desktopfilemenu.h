#pragma once
// The menu a Linux file manager offers for files, for the selected local files of one
// folder: Open, Open With..., Open Containing Folder, Copy Path, Properties. The desktop
// does the work: the default application, the desktop portal's application chooser, and
// the file manager over the session bus (org.freedesktop.FileManager1).
#include <QDBusMessage>
#include <QMenu>
#include <QUrl>
#include <functional>
#include <string>
#include <vector>

namespace varnel {

class CDesktopFileMenu : public QMenu {
    Q_OBJECT
  public:
    CDesktopFileMenu(std::vector<std::string> files, QWidget* parent);

    void open();
    void openWith();
    void openContainingFolder();
    void copyPath();
    void properties();

    // How requests reach the desktop; tests look at what would have been sent.
    std::function<bool(const QUrl&)> openUrl;
    std::function<bool(const QDBusMessage&)> callBus;

  private:
    QStringList fileUris() const;
    void tellNoAnswer(const QString& what);

    std::vector<std::string> files_;
};

}  // namespace varnel
