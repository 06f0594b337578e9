#include "gui/previewpane.h"

#include <fcntl.h>

#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QMimeDatabase>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QUrl>

#include "app/session.h"
#include "fileops/previewcopy.h"
#include "gui/guiprompt.h"
#include "remote/ftpnames.h"
#include "view/previewsource.h"

namespace varnel {

// What a worker is asked to do, copied whole so that it touches nothing of the window.
struct PreviewJob {
    uint64_t generation = 0;
    std::string path;   // as asked: a local path or an FTP URL
    std::string local;  // a file already here to read; empty while an FTP file must be fetched
    FtpClient* client = nullptr;
    PreviewCopyRequest copy;
    QSize box;  // pictures are scaled down to fit
    std::shared_ptr<std::atomic<bool>> cancel;
};

struct PreviewLoad {
    uint64_t generation = 0;
    std::string path;
    std::string local;
    PreviewSource source;
    QImage image;
};

namespace {

QString fileName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return QFile::decodeName(QByteArray::fromStdString(path.substr(slash + 1)));
}

// The picture at `path`, no larger than `box`; its reason in `error` when it cannot be read.
QImage readPicture(const std::string& path, QSize box, std::string& error) {
    // Opened by its bytes: a name need not be valid in any encoding.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    QFile file;
    if (fd < 0 || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        error = "Cannot open " + path;
        return {};
    }
    QImageReader reader(&file);
    reader.setAutoTransform(true);
    QSize size = reader.size();
    if (reader.transformation() & QImageIOHandler::TransformationRotate90) size.transpose();
    if (size.isValid() && box.isValid() &&
        (size.width() > box.width() || size.height() > box.height())) {
        QSize scaled = size.scaled(box, Qt::KeepAspectRatio);
        if (reader.transformation() & QImageIOHandler::TransformationRotate90) scaled.transpose();
        reader.setScaledSize(scaled.expandedTo(QSize(1, 1)));
    }
    QImage image = reader.read();
    if (image.isNull())
        error = "Cannot read the picture " + path + ": " + toBytes(reader.errorString());
    return image;
}

PreviewLoad runJob(const PreviewJob& job) {
    PreviewLoad load;
    load.generation = job.generation;
    load.path = job.path;
    load.local = job.local;
    if (load.local.empty()) {
        std::string error;
        if (!FetchPreviewCopy(*job.client, job.copy, job.cancel.get(), load.local, error)) {
            load.source.error = error;
            return load;
        }
    }
    if (job.cancel->load()) return load;
    load.source = ReadPreviewSource(load.local);
    if (load.source.kind == PreviewKind::Image) {
        load.image = readPicture(load.local, job.box, load.source.error);
        if (load.image.isNull()) load.source.kind = PreviewKind::Other;
    }
    return load;
}

QString textOf(const PreviewSource& source) {
    const auto size = static_cast<qsizetype>(source.text.size());
    QString text = source.encoding == TextEncoding::Utf8
                       ? QString::fromUtf8(source.text.data(), size)
                       : QString::fromLatin1(source.text.data(), size);
    // Line breaks as any system writes them.
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

}  // namespace

CPreviewPane::CPreviewPane(AppSession& session, QWidget* parent)
    : QStackedWidget(parent), session_(session) {
    setObjectName(QStringLiteral("preview"));
    info_ = new QLabel(this);
    info_->setObjectName(QStringLiteral("previewInfo"));
    info_->setTextFormat(Qt::PlainText);  // a file name is never markup
    info_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    info_->setWordWrap(true);
    info_->setMargin(8);
    info_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    text_ = new QPlainTextEdit(this);
    text_->setObjectName(QStringLiteral("previewText"));
    text_->setReadOnly(true);
    text_->setUndoRedoEnabled(false);
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    image_ = new QLabel(this);
    image_->setObjectName(QStringLiteral("previewImage"));
    image_->setAlignment(Qt::AlignCenter);
    // The picture must never make the pane larger than the layout gives it.
    image_->setMinimumSize(1, 1);
    image_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    for (QWidget* w : {static_cast<QWidget*>(info_), static_cast<QWidget*>(text_),
                       static_cast<QWidget*>(image_)})
        addWidget(w);
    setCurrentWidget(info_);

    workers_.setMaxThreadCount(2);
    rescale_.setSingleShot(true);
    rescale_.setInterval(150);
    connect(&rescale_, &QTimer::timeout, this, [this] {
        if (currentWidget() != image_ || local_.empty()) return;
        PreviewJob job;
        job.path = path_;
        job.local = local_;
        start(std::move(job));
    });
}

CPreviewPane::~CPreviewPane() {
    if (cancel_) cancel_->store(true);
    workers_.clear();
    workers_.waitForDone();
}

void CPreviewPane::showFile(const std::string& path) {
    path_ = path;
    local_.clear();
    emit loading(QFile::decodeName(QByteArray::fromStdString(path)));
    PreviewJob job;
    job.path = path;
    if (!IsFtpUrl(path)) {
        job.local = path;
        start(std::move(job));
        return;
    }
    const QString type =
        QMimeDatabase().mimeTypeForFile(fileName(path), QMimeDatabase::MatchExtension).comment();
    std::string host;
    if (session_.ftp.offline() || !FtpHostFromUrl(path.c_str(), host)) {
        start({});  // forgets any load still running
        showInfo(path, type, "");
        emit shown(QString::fromStdString(path));
        return;
    }
    if (!session_.ftp.sessionLogin(host, job.copy.login)) {
        start({});
        showInfo(path, type, "Not logged in to " + host);
        emit shown(QString::fromStdString(path));
        return;
    }
    job.client = &session_.ftp.client();
    job.copy.url = path;
    job.copy.programDir = session_.workspace.paths().programDir;
    showInfo(path, type, "Fetching from " + host + " ...");
    start(std::move(job));
}

// A job without a path only cancels what runs.
void CPreviewPane::start(PreviewJob job) {
    pendingPage_.clear();
    if (cancel_) cancel_->store(true);
    cancel_ = std::make_shared<std::atomic<bool>>(false);
    job.generation = ++generation_;
    job.cancel = cancel_;
    job.box = contentsRect().size();
    if (job.path.empty()) return;
    workers_.start([this, job = std::move(job)] {
        PreviewLoad load = runJob(job);
        QMetaObject::invokeMethod(
            this, [this, load = std::move(load)] { present(load); }, Qt::QueuedConnection);
    });
}

void CPreviewPane::present(const PreviewLoad& load) {
    if (load.generation != generation_) return;  // a newer file was asked for
    local_ = load.local;
    const QString local = QFile::decodeName(QByteArray::fromStdString(load.local));
    const PreviewSource& source = load.source;
    switch (source.kind) {
        case PreviewKind::Html:
        case PreviewKind::Pdf:
            if (source.kind == PreviewKind::Pdf && !html().pdf()) {
                showInfo(load.path, QStringLiteral("PDF document"), "");
                break;
            }
            showPage(QUrl::fromLocalFile(local));
            break;
        case PreviewKind::Image:
            image_->setPixmap(QPixmap::fromImage(load.image));
            setCurrentWidget(image_);
            break;
        case PreviewKind::Text:
            text_->setPlainText(textOf(source));
            setCurrentWidget(text_);
            break;
        case PreviewKind::Other: {
            const QMimeDatabase mimes;
            const QString type =
                local_.empty() || !source.error.empty()
                    ? mimes.mimeTypeForFile(fileName(load.path), QMimeDatabase::MatchExtension)
                          .comment()
                    : mimes.mimeTypeForFile(local).comment();
            showInfo(load.path, type, source.error);
            break;
        }
    }
    emit shown(QFile::decodeName(QByteArray::fromStdString(load.path)));
}

void CPreviewPane::showInfo(const std::string& path, const QString& type, const std::string& note) {
    QString text = fileName(path) + QLatin1Char('\n') + type;
    if (!note.empty()) text += QStringLiteral("\n\n") + fromBytes(note);
    info_->setText(text);
    setCurrentWidget(info_);
}

HtmlView& CPreviewPane::html() {
    if (!html_) {
        HtmlViewOptions options;
        options.pdf = true;
        html_ = makeHtmlView(options, this);
        addWidget(html_->widget());
        html_->loaded = [this](bool ok) { emit pageLoaded(ok); };
    }
    return *html_;
}

// The browser engine starts with the first HTML view: not for a pane that is not on screen.
void CPreviewPane::showPage(const QUrl& url) {
    pendingPage_.clear();
    if (!html_ && !isVisible()) {
        pendingPage_ = url;
        showInfo(path_, QString(), "");
        return;
    }
    html().load(url);
    setCurrentWidget(html().widget());
}

void CPreviewPane::showEvent(QShowEvent* event) {
    QStackedWidget::showEvent(event);
    if (!pendingPage_.isEmpty()) showPage(pendingPage_);
}

void CPreviewPane::resizeEvent(QResizeEvent* event) {
    QStackedWidget::resizeEvent(event);
    if (currentWidget() == image_) rescale_.start();
}

}  // namespace varnel
