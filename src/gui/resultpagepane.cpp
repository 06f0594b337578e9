#include "gui/resultpagepane.h"

#include <QFile>
#include <QVBoxLayout>

#include "gui/guiprompt.h"

namespace varnel {

CResultPagePane::CResultPagePane(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("resultPage"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
}

CResultPagePane::~CResultPagePane() = default;

void CResultPagePane::showPage(const std::string& path) {
    if (!html_) {
        HtmlViewOptions options;
        options.contextMenu = false;
        html_ = makeHtmlView(options, this);
        layout()->addWidget(html_->widget());
        html_->navigate = [this](const QUrl& url) {
            return !navigate || navigate(toBytes(url.toString()));
        };
        html_->titleChanged = [this](const QString& title) {
            if (titleOk && title.compare(QLatin1String("ok"), Qt::CaseInsensitive) == 0) titleOk();
        };
        html_->loaded = [this](bool ok) { emit pageLoaded(ok); };
    }
    html_->load(QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(path))));
}

void CResultPagePane::reload() {
    if (html_) html_->reload();
}

}  // namespace varnel
