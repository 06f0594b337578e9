#include "gui/texthtmlview.h"

#include <QTextBrowser>
#include <QTimer>

namespace varnel {

namespace {

class TextHtmlView final : public HtmlView {
  public:
    TextHtmlView(const HtmlViewOptions& options, QWidget* parent)
        : browser_(new QTextBrowser(parent)) {
        browser_->setObjectName(QStringLiteral("textBrowser"));
        // Every link is asked about first, and only local files are followed.
        browser_->setOpenLinks(false);
        browser_->setOpenExternalLinks(false);
        if (!options.contextMenu) browser_->setContextMenuPolicy(Qt::NoContextMenu);
        QObject::connect(browser_, &QTextBrowser::anchorClicked, browser_,
                         [this](const QUrl& link) { load(browser_->source().resolved(link)); });
        QObject::connect(browser_, &QTextBrowser::sourceChanged, browser_, [this] {
            if (titleChanged) titleChanged(browser_->documentTitle());
        });
    }

    QWidget* widget() override { return browser_; }
    void load(const QUrl& url) override {
        if (navigate && !navigate(url)) return;
        if (!url.isLocalFile()) return;
        browser_->setSource(url);
        finished();
    }
    void reload() override {
        browser_->reload();
        finished();
    }
    QString title() const override { return browser_->documentTitle(); }
    QUrl url() const override { return browser_->source(); }
    bool pdf() const override { return false; }

  private:
    // Reported from the event loop, as a browser would.
    void finished() {
        QTimer::singleShot(0, browser_, [this] {
            if (loaded) loaded(true);
        });
    }

    QTextBrowser* browser_;
};

}  // namespace

std::unique_ptr<HtmlView> makeTextHtmlView(const HtmlViewOptions& options, QWidget* parent) {
    return std::make_unique<TextHtmlView>(options, parent);
}

}  // namespace varnel
