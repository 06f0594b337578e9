#pragma once
// The pane of the saved-searches page (4.html). Its links are the program's commands: every
// navigation is asked about first, the page's own loads are let through. A title that turns
// "ok" is the page's way to say it is done. No browser menu on a right click.
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "gui/htmlview.h"

namespace varnel {

class CResultPagePane : public QWidget {
    Q_OBJECT
  public:
    explicit CResultPagePane(QWidget* parent);
    ~CResultPagePane() override;

    // Shows the page file; the HTML view is made on the first call.
    void showPage(const std::string& path);
    // The page file was written again.
    void reload();
    // Null before the first page.
    HtmlView* htmlView() const { return html_.get(); }

    // The URL as the view gives it ("murrel://3" comes as "murrel://0.0.0.3"); true lets
    // it load.
    std::function<bool(const std::string& url)> navigate;
    std::function<void()> titleOk;

  signals:
    void pageLoaded(bool ok);

  private:
    std::unique_ptr<HtmlView> html_;
};

}  // namespace varnel
