#pragma once
// The preview pane: the selected file as what it holds. Pages and PDFs in the HTML view
// (made the first time one is shown), pictures scaled down to the pane, text as it is
// written in a fixed font, anything else by its name and type. FTP files are fetched into
// their mirror folder first. Files are read on workers: the window never waits for a disk
// or a server, and a newer file wins over an older one still loading.
#include <QStackedWidget>
#include <QString>
#include <QThreadPool>
#include <QTimer>
#include <QUrl>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "gui/htmlview.h"

class QLabel;
class QPlainTextEdit;

namespace varnel {

class AppSession;
struct PreviewLoad;
struct PreviewJob;

class CPreviewPane : public QStackedWidget {
    Q_OBJECT
  public:
    CPreviewPane(AppSession& session, QWidget* parent);
    ~CPreviewPane() override;

    // A local path or an FTP URL (ftp://host/dir/name).
    void showFile(const std::string& path);

    // Null until the first page or PDF was shown.
    HtmlView* htmlView() const { return html_.get(); }
    QPlainTextEdit* textView() const { return text_; }
    QLabel* imageView() const { return image_; }
    QLabel* infoView() const { return info_; }

  signals:
    // A file was asked for (at once, before anything is read).
    void loading(const QString& path);
    // What the file holds is on screen; a page may still be loading.
    void shown(const QString& path);
    // A page or PDF has loaded.
    void pageLoaded(bool ok);

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void start(PreviewJob job);
    void present(const PreviewLoad& load);
    void showInfo(const std::string& path, const QString& type, const std::string& note);
    HtmlView& html();
    void showPage(const QUrl& url);

    AppSession& session_;
    std::unique_ptr<HtmlView> html_;
    QPlainTextEdit* text_;
    QLabel* image_;
    QLabel* info_;
    QTimer rescale_;
    // The last file asked for, and where its bytes were read (a picture is read again at
    // another size when the pane changes size).
    std::string path_;
    std::string local_;
    QUrl pendingPage_;  // a page for when the pane is shown
    uint64_t generation_ = 0;
    std::shared_ptr<std::atomic<bool>> cancel_;
    // Last: destroyed (and waited for) first, while everything its jobs post to still exists.
    QThreadPool workers_;
};

}  // namespace varnel
