#include "gui/webhtmlview.h"

#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineView>

namespace varnel {

namespace {

// A catalogued page may pull pictures, scripts or trackers from anywhere; none of it loads.
class RemoteRequestBlocker final : public QWebEngineUrlRequestInterceptor {
  public:
    void interceptRequest(QWebEngineUrlRequestInfo& info) override {
        static const QStringList kRemote = {QStringLiteral("http"), QStringLiteral("https"),
                                            QStringLiteral("ftp"), QStringLiteral("ws"),
                                            QStringLiteral("wss")};
        if (kRemote.contains(info.requestUrl().scheme(), Qt::CaseInsensitive)) info.block(true);
    }
};

class AskingPage final : public QWebEnginePage {
  public:
    AskingPage(QWebEngineProfile* profile, HtmlView& owner, QObject* parent)
        : QWebEnginePage(profile, parent), owner_(owner) {}

  protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType, bool) override {
        return !owner_.navigate || owner_.navigate(url);
    }

  private:
    HtmlView& owner_;
};

class WebHtmlView final : public HtmlView {
  public:
    WebHtmlView(const HtmlViewOptions& options, QWidget* parent)
        : profile_(std::make_unique<QWebEngineProfile>()), pdf_(options.pdf) {
        profile_->setUrlRequestInterceptor(&blocker_);
        profile_->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
        view_ = new QWebEngineView(parent);
        view_->setObjectName(QStringLiteral("webView"));
        auto* page = new AskingPage(profile_.get(), *this, view_);
        QWebEngineSettings* s = page->settings();
        s->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
        s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
        s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
        s->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
        // A file dropped on the pane would take its place.
        s->setAttribute(QWebEngineSettings::NavigateOnDropEnabled, false);
        s->setAttribute(QWebEngineSettings::PdfViewerEnabled, pdf_);
        s->setAttribute(QWebEngineSettings::PluginsEnabled, pdf_);
        view_->setPage(page);
        view_->setContextMenuPolicy(options.contextMenu ? Qt::DefaultContextMenu
                                                        : Qt::NoContextMenu);
        QObject::connect(page, &QWebEnginePage::titleChanged, view_, [this](const QString& t) {
            if (titleChanged) titleChanged(t);
        });
        QObject::connect(page, &QWebEnginePage::loadFinished, view_, [this](bool ok) {
            if (loaded) loaded(ok);
        });
    }
    // The page (the view's child) must go before its profile.
    ~WebHtmlView() override { delete view_; }

    QWidget* widget() override { return view_; }
    void load(const QUrl& url) override { view_->load(url); }
    void reload() override { view_->reload(); }
    QString title() const override { return view_->title(); }
    QUrl url() const override { return view_->url(); }
    bool pdf() const override { return pdf_; }

  private:
    RemoteRequestBlocker blocker_;  // outlives the profile that calls it
    std::unique_ptr<QWebEngineProfile> profile_;
    QWebEngineView* view_ = nullptr;
    bool pdf_;
};

}  // namespace

std::unique_ptr<HtmlView> makeWebHtmlView(const HtmlViewOptions& options, QWidget* parent) {
    return std::make_unique<WebHtmlView>(options, parent);
}

}  // namespace varnel
