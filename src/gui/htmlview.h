#pragma once
// The embedded HTML view of the preview and of the saved-searches page. Qt WebEngine where it
// can start; else a QTextBrowser, which draws simple pages and runs nothing. Neither runs
// scripts or reaches the network: the pages shown are files from the catalog, not trusted.
#include <QString>
#include <QUrl>
#include <functional>
#include <memory>

class QWidget;

namespace varnel {

struct HtmlViewOptions {
    bool pdf = false;         // PDFs in the built-in viewer
    bool contextMenu = true;  // the browser's own right-click menu
};

class HtmlView {
  public:
    virtual ~HtmlView() = default;
    virtual QWidget* widget() = 0;
    // Shows a local page (or a PDF, where pdf() is true).
    virtual void load(const QUrl& url) = 0;
    // Loads the page shown again from its file.
    virtual void reload() = 0;
    virtual QString title() const = 0;
    virtual QUrl url() const = 0;
    // Whether PDFs are drawn; the fallback shows them by name only.
    virtual bool pdf() const = 0;

    // Asked before every navigation, the first load included; true lets it go on. Unset,
    // everything loads.
    std::function<bool(const QUrl&)> navigate;
    std::function<void(const QString&)> titleChanged;
    // A load has ended, well or not.
    std::function<void(bool ok)> loaded;
};

// Whether Qt WebEngine can start in this process. Chromium ends the whole process when it
// is run as root with its sandbox on, so then it cannot; nor without its helper program.
bool webEngineCanStart();

// A WebEngine view where webEngineCanStart(), else the text browser. Creating the first
// WebEngine view starts Chromium: only ever do it for a pane that is being shown.
std::unique_ptr<HtmlView> makeHtmlView(const HtmlViewOptions& options, QWidget* parent);

}  // namespace varnel
