// The preview pane and the saved-searches pane in the real window, with Qt WebEngine drawing
// offscreen. Its loads run in other processes and threads: every wait is on a signal or a
// state, with room for slow machines.
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPdfWriter>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTabBar>
#include <QTcpServer>
#include <QTextBrowser>
#include <QWebEngineContextMenuRequest>
#include <QWebEngineView>
#include <filesystem>

#include "fileops/previewcopy.h"
#include "gui/previewpane.h"
#include "gui/resultpagepane.h"
#include "gui/texthtmlview.h"
#include "remote/ftpnames.h"
#include "windowfixture.h"

namespace varnel {
namespace {

constexpr int kLoadTimeoutMs = 60000;

struct PreviewWindow : test::WindowFixture {
    // A default catalog whose records are the files in `names`, in that order, under
    // `folder` (the test's own files folder when empty).
    void startWithFiles(const std::vector<std::string>& names, std::string folder = "") {
        if (folder.empty()) folder = files() + "/";
        std::vector<test::Rec> records;
        for (const std::string& name : names) records.push_back({folder, name, "x", 0, 1});
        startWith(records);
    }
    std::string files() {
        const std::string path = dir.file("files");
        std::filesystem::create_directories(path);
        return path;
    }
    CPreviewPane* pane() { return frame->mainView()->previewPane(); }
    // Selects page row `row` in the list and shows the preview tab.
    void preview(int row) {
        frame->mainView()->tabs()->setCurrentIndex(0);
        clickRow(row);
        frame->mainView()->tabs()->setCurrentIndex(1);
    }
    // Previews `row` and waits until the pane shows what it holds.
    bool previewShown(int row) {
        QSignalSpy shown(pane(), &CPreviewPane::shown);
        preview(row);
        return QTest::qWaitFor([&] { return shown.count() > 0; }, kLoadTimeoutMs);
    }
    QWebEngineView* webView(HtmlView* view) {
        return view ? qobject_cast<QWebEngineView*>(view->widget()) : nullptr;
    }
};

TEST_F(PreviewWindow, PagesLoadWithoutScriptsOrRemoteRequestsOncePerSelectionAndPdfsToo) {
    QTcpServer remote;  // stands for a site a catalogued page links to
    ASSERT_TRUE(remote.listen(QHostAddress::LocalHost));
    bool contacted = false;
    QObject::connect(&remote, &QTcpServer::newConnection, [&] {
        contacted = true;
        remote.nextPendingConnection()->close();
    });
    const std::string image = "http://127.0.0.1:" + std::to_string(remote.serverPort()) + "/a.png";
    test::writeFile(files() + "/page.html",
                    "<html><head><title>Before</title><script>document.title = 'After'</script>"
                    "</head><body><img src=\"" +
                        image + "\"><p>words</p></body></html>");
    test::writeFile(files() + "/notes.txt", "first\n");
    {
        QPdfWriter pdf(QString::fromStdString(files() + "/doc.pdf"));
        QPainter painter(&pdf);
        painter.drawText(100, 100, QStringLiteral("a PDF"));
    }
    startWithFiles({"page.html", "notes.txt", "doc.pdf"});
    EXPECT_EQ(pane()->htmlView(), nullptr) << "no browser engine before a page is shown";

    QSignalSpy loaded(pane(), &CPreviewPane::pageLoaded);
    preview(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return loaded.count() > 0; }, kLoadTimeoutMs));
    QWebEngineView* view = webView(pane()->htmlView());
    ASSERT_NE(view, nullptr) << "WebEngine did not start";
    EXPECT_TRUE(loaded.at(0).at(0).toBool());
    EXPECT_EQ(pane()->currentWidget(), view);
    EXPECT_EQ(view->title().toStdString(), "Before");
    // The page is done loading, so its picture was asked for or refused by now.
    EXPECT_FALSE(contacted || remote.hasPendingConnections());

    // Selecting the page again asks for nothing; selecting another file does.
    QSignalSpy loading(pane(), &CPreviewPane::loading);
    QSignalSpy started(view, &QWebEngineView::loadStarted);
    preview(0);
    EXPECT_EQ(loading.count(), 0);
    EXPECT_EQ(started.count(), 0);
    ASSERT_TRUE(previewShown(1));
    EXPECT_EQ(loading.count(), 1);
    EXPECT_EQ(pane()->currentWidget(), pane()->textView());

    // PDFs go to the browser's own viewer.
    preview(2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return loaded.count() > 1; }, kLoadTimeoutMs));
    EXPECT_TRUE(loaded.at(1).at(0).toBool());
    EXPECT_EQ(pane()->currentWidget(), view);
    EXPECT_EQ(view->url().fileName().toStdString(), "doc.pdf");
}

TEST_F(PreviewWindow, TextKeepsItsLinesAndPicturesShrinkToThePane) {
    test::writeFile(files() + "/readme", "first line\n<b>not bold</b>\r\n\tthird  line\n");
    QImage wide(3000, 1000, QImage::Format_RGB32);
    wide.fill(Qt::darkCyan);
    ASSERT_TRUE(wide.save(QString::fromStdString(files() + "/wide.png"), "PNG"));
    std::filesystem::copy_file(files() + "/wide.png", files() + "/named-like-text.txt");
    startWithFiles({"readme", "wide.png", "named-like-text.txt"});

    ASSERT_TRUE(previewShown(0));
    ASSERT_EQ(pane()->currentWidget(), pane()->textView());
    EXPECT_EQ(pane()->textView()->toPlainText().toStdString(),
              "first line\n<b>not bold</b>\n\tthird  line\n");
    EXPECT_TRUE(pane()->textView()->isReadOnly());

    // The picture is told by its bytes, not its name.
    for (int row : {1, 2}) {
        ASSERT_TRUE(previewShown(row));
        ASSERT_EQ(pane()->currentWidget(), pane()->imageView()) << row;
        const QSize shown = pane()->imageView()->pixmap().size();
        const QSize box = pane()->contentsRect().size();
        EXPECT_TRUE(shown.width() <= box.width() && shown.height() <= box.height())
            << shown.width() << "x" << shown.height() << " in " << box.width() << "x"
            << box.height();
        // It fills the pane's width and keeps its shape.
        EXPECT_EQ(shown.width(), box.width());
        EXPECT_NEAR(shown.height(), shown.width() / 3, 1);
    }
}

TEST_F(PreviewWindow, FtpFilesAreShownFromTheirFetchedCopyAndOfflineByName) {
    ASSERT_NO_FATAL_FAILURE(useFtpServer());
    test::writeFile(site->local("remote.txt"), "on the\nserver\n");
    test::writeFile(site->local("other.txt"), "x");
    std::string catalogued = siteUrl();
    SwapFtpSeparators(catalogued);
    startWithFiles({"remote.txt", "other.txt"}, catalogued);
    session->ftp.addSessionLogin(server->host, server->user, server->password);

    // The pane says it is fetching, then shows the copy.
    preview(0);
    EXPECT_EQ(pane()->currentWidget(), pane()->infoView());
    ASSERT_TRUE(QTest::qWaitFor([&] { return pane()->currentWidget() == pane()->textView(); },
                                kLoadTimeoutMs));
    EXPECT_EQ(pane()->textView()->toPlainText().toStdString(), "on the\nserver\n");
    std::string copy;
    ASSERT_TRUE(PreviewCopyPath(dir.path(), siteUrl("remote.txt"), copy));
    EXPECT_EQ(test::readFile(copy), "on the\nserver\n");

    // Offline, nothing is fetched: the name and type are all there is to show.
    session->ftp.setOffline(true);
    ASSERT_TRUE(previewShown(1));
    EXPECT_EQ(pane()->currentWidget(), pane()->infoView());
    EXPECT_EQ(pane()->infoView()->text().toStdString().rfind("other.txt\n", 0), 0u);
    ASSERT_TRUE(PreviewCopyPath(dir.path(), siteUrl("other.txt"), copy));
    EXPECT_FALSE(test::fileExists(copy));
}

TEST_F(PreviewWindow, SavedSearchesPageHandsItsLinksOnAndHasNoBrowserMenu) {
    const std::string page = dir.file("4.html");
    const char* block = "style=\"display:block;height:80px\"";
    test::writeFile(page, std::string("<html><head><title>Searches</title></head><body "
                                      "style=\"margin:0\"><a href=\"murrel://2\" ") +
                              block + ">third</a><a href=\"go.cgi\" " + block +
                              ">manage</a><a href=\"done.html\" " + block +
                              ">done</a></body></html>");
    test::writeFile(dir.file("done.html"), "<title>OK</title>");
    startWithFiles({});
    CMainView* view = frame->mainView();
    std::vector<std::string> asked;
    int oks = 0;
    view->resultPageNavigate = [&](const std::string& url) {
        asked.push_back(url);
        return url.find("4.html") != std::string::npos ||
               url.find("done.html") != std::string::npos;
    };
    view->resultPageTitleOk = [&] { ++oks; };
    view->showResultPage(page);
    EXPECT_EQ(view->resultPagePane()->htmlView(), nullptr) << "loaded before it was shown";

    QSignalSpy loaded(view->resultPagePane(), &CResultPagePane::pageLoaded);
    view->tabs()->setCurrentIndex(2);
    EXPECT_EQ(session->catalog.page().viewMode, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return loaded.count() > 0; }, kLoadTimeoutMs));
    QWebEngineView* web = webView(view->resultPagePane()->htmlView());
    ASSERT_NE(web, nullptr) << "WebEngine did not start";
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_NE(asked[0].find("4.html"), std::string::npos);

    QWidget* input = web->focusProxy();
    ASSERT_NE(input, nullptr);
    // A saved search's link; QUrl reads the number as an IPv4 host.
    QTest::mouseClick(input, Qt::LeftButton, Qt::NoModifier, QPoint(30, 40));
    ASSERT_TRUE(QTest::qWaitFor([&] { return asked.size() == 2; }, kLoadTimeoutMs));
    EXPECT_EQ(asked[1], "murrel://0.0.0.2");
    QTest::mouseClick(input, Qt::LeftButton, Qt::NoModifier, QPoint(30, 120));
    ASSERT_TRUE(QTest::qWaitFor([&] { return asked.size() == 3; }, kLoadTimeoutMs));
    EXPECT_EQ(asked[2].substr(asked[2].size() - 7), "/go.cgi");
    EXPECT_EQ(web->url().fileName().toStdString(), "4.html");

    // A right click reaches the page, and no menu comes up.
    QTest::mouseClick(input, Qt::RightButton, Qt::NoModifier, QPoint(30, 40));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return web->lastContextMenuRequest() != nullptr; }, kLoadTimeoutMs));
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);

    // A page whose title is "OK" says the page is done.
    QTest::mouseClick(input, Qt::LeftButton, Qt::NoModifier, QPoint(30, 200));
    ASSERT_TRUE(QTest::qWaitFor([&] { return oks == 1; }, kLoadTimeoutMs));
}

// Where WebEngine cannot start the text browser stands in, with the same rules for links.
TEST(TextHtmlView, AsksBeforeEveryLinkAndFollowsLocalPagesOnly) {
    test::TempDir dir;
    test::writeFile(dir.file("4.html"),
                    "<title>Searches</title><p><a href=\"murrel://2\">two</a> "
                    "<a href=\"http://example.com/\">away</a> <a href=\"done.html\">done</a>");
    test::writeFile(dir.file("done.html"), "<title>OK</title>");
    QWidget host;
    HtmlViewOptions options;
    options.contextMenu = false;
    std::unique_ptr<HtmlView> view = makeTextHtmlView(options, &host);
    std::vector<std::string> asked;
    view->navigate = [&](const QUrl& url) {
        asked.push_back(url.toString().toStdString());
        return !url.toString().startsWith(QStringLiteral("murrel:"));
    };
    std::vector<std::string> titles;
    view->titleChanged = [&](const QString& title) { titles.push_back(title.toStdString()); };
    view->widget()->resize(400, 300);
    host.show();
    view->load(QUrl::fromLocalFile(QString::fromStdString(dir.file("4.html"))));
    EXPECT_EQ(view->widget()->contextMenuPolicy(), Qt::NoContextMenu);

    auto* browser = qobject_cast<QTextBrowser*>(view->widget());
    ASSERT_NE(browser, nullptr);
    auto click = [&](const QString& text) {
        const QTextCursor at = browser->document()->find(text);
        QTextCursor middle(browser->document());
        middle.setPosition((at.selectionStart() + at.selectionEnd()) / 2);
        QTest::mouseClick(browser->viewport(), Qt::LeftButton, Qt::NoModifier,
                          browser->cursorRect(middle).center());
    };
    click(QStringLiteral("two"));
    click(QStringLiteral("away"));
    EXPECT_EQ(view->title().toStdString(), "Searches");
    click(QStringLiteral("done"));
    ASSERT_EQ(asked.size(), 4u);
    EXPECT_EQ(asked[1], "murrel://0.0.0.2");
    EXPECT_EQ(asked[2], "http://example.com/");
    EXPECT_EQ(titles, (std::vector<std::string>{"Searches", "OK"}));
}

}  // namespace
}  // namespace varnel
