// The saved searches in the window: the View menu's entries and the saved-searches page.
#include <QFile>
#include <QMenuBar>

#include "gui/searchdialog.h"
#include "windowfixture.h"

namespace varnel {
namespace {

using test::Texts;
using test::WindowFixture;

struct SavedSearchesTest : WindowFixture {
    void SetUp() override {
        // The page's template lives beside the program.
        QFile::copy(VARNEL_SOURCE_DIR "/data/2.html", QString::fromStdString(dir.file("2.html")));
        startWith(20);
    }
    QMenu* viewMenu() {
        for (QAction* a : frame->menuBar()->actions())
            if (a->menu() && a->text() == "View(&V)") return a->menu();
        return nullptr;
    }
    // The menu's saved-search entries, as the user reads them.
    Texts menuSearches() {
        Texts out;
        for (QAction* a : viewMenu()->actions()) {
            const int id = a->data().toInt();
            if (id >= kCmdSavedSearchFirst && id <= kCmdSavedSearchLast)
                out.push_back(a->text().toStdString());
        }
        return out;
    }
    void choose(const std::string& text) {
        for (QAction* a : viewMenu()->actions())
            if (a->text().toStdString() == text) a->trigger();
        ticks(2);
    }
    std::string searchesPage() { return test::readFile(dir.file("4.html")); }
};

TEST_F(SavedSearchesTest, TheViewMenuFollowsTheListAndRunsItsEntries) {
    ASSERT_NE(viewMenu(), nullptr);
    EXPECT_EQ(menuSearches(),
              (Texts{"Softwares ", "MultiMedia files", "Music files", "Html documents"}));
    choose("Music files");
    EXPECT_EQ(shownRecords(), 10);
    EXPECT_EQ(cell(0, kColName), "song0000.mp3");

    // A new search is in the menu at once, an "&" in its name shown as written; a removed
    // one is gone and the entries behind it move up.
    session->searches.addSavedSearch("Pictures & more", "*.jpg", "/photos/", 0);
    session->searches.removeSavedSearch("Softwares ");
    EXPECT_EQ(menuSearches(),
              (Texts{"MultiMedia files", "Music files", "Html documents", "Pictures && more"}));
    choose("Pictures && more");
    EXPECT_EQ(shownRecords(), 10);
    EXPECT_EQ(cell(0, kColName), "pic0010.jpg");
    // The page of saved searches was written from the new list.
    EXPECT_NE(searchesPage().find("Pictures &amp; more"), std::string::npos);

    for (int k = 0; k < 10; ++k)
        session->searches.addSavedSearch("extra " + std::to_string(k), "*", "", 0);
    EXPECT_EQ(menuSearches().size(), 10u);  // the first ten only
}

// View > Search: the dialog's Find lists its records in a new view, and its temporary saved
// search leaves neither the list nor the menu behind.
TEST_F(SavedSearchesTest, SearchFromTheViewMenuShowsTheFoundFiles) {
    test::ModalAnswerer<CSearchDialog> user([](CSearchDialog& dialog) {
        test::child<QComboBox>(dialog, "findType")->setEditText("*.JPG");
        test::child<QPushButton>(dialog, "find")->click();
    });
    trigger(kCmdSearch);
    ticks(1);
    ASSERT_EQ(user.seen, 1);
    EXPECT_EQ(shownRecords(), 10);
    EXPECT_EQ(cell(0, kColName), "pic0010.jpg");
    EXPECT_EQ(session->searches.count(), 4);
    EXPECT_EQ(menuSearches().size(), 4u);
}

// The searches page: written from this run's list at start, its links run searches (with a word
// for a catalog too small to search) and open the dialog with its saved searches shown.
TEST_F(SavedSearchesTest, ThePageOfSavedSearchesRunsThemAndOpensTheDialog) {
    EXPECT_NE(searchesPage().find("murrel://3"), std::string::npos);
    CMainView* view = frame->mainView();
    ASSERT_TRUE(view->resultPageNavigate);
    EXPECT_TRUE(view->resultPageNavigate("file://" + dir.file("4.html")));

    test::BoxAnswerer ok(QMessageBox::Ok);
    EXPECT_FALSE(view->resultPageNavigate("murrel://0.0.0.2"));  // as the browser hands it on
    QTest::qWait(200);
    ticks(2);
    EXPECT_EQ(ok.texts, Texts{"Your local search cach is NULL,Please Select "
                              "Tools->Search File to add file to cach"});
    EXPECT_EQ(session->catalog.page().viewMode, 1);
    EXPECT_EQ(shownRecords(), 10);
    EXPECT_EQ(cell(0, kColName), "song0000.mp3");

    bool managedShown = false;
    test::ModalAnswerer<CSearchDialog> user([&](CSearchDialog& dialog) {
        managedShown = test::child<QPushButton>(dialog, "manage")->text() == "Save<<";
        dialog.reject();
    });
    EXPECT_FALSE(view->resultPageNavigate("file:///x/go.cgi"));
    QTest::qWait(400);
    EXPECT_TRUE(managedShown);

    view->setViewMode(0);
    ASSERT_TRUE(view->resultPageTitleOk);
    view->resultPageTitleOk();
    EXPECT_EQ(session->catalog.page().viewMode, 1);
}

}  // namespace
}  // namespace varnel
