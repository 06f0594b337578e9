// The search dialog driven as a user drives it: its two halves, the date radios, the saved
// searches down to cfg.dat, and Find against what varnel-cli's search lists.
#include <QDateTimeEdit>
#include <QListWidget>
#include <QRadioButton>
#include <set>
#include <sstream>

#include "gui/searchdialog.h"
#include "platform/filetime.h"
#include "support/process.h"
#include "support/timezone.h"
#include "windowfixture.h"

namespace varnel {
namespace {

using test::boxTexts;
using test::child;
using test::Texts;
using Found = std::set<std::string>;  // "folder<TAB>name" of each record

constexpr uint64_t kHour = 36000000000ULL;
constexpr uint64_t kDay = 24 * kHour;
constexpr uint64_t kSecond = 10000000ULL;

struct SearchDialogTest : ::testing::Test {
    test::TempDir dir;
    GuiPrompt prompt;
    GuiRemoteDialogs dialogs;
    std::unique_ptr<AppSession> session;
    int searchesRun = 0;

    void SetUp() override {
        const uint64_t now = systemFileTime();
        const uint64_t winter = test::utcFileTime(2024, 1, 15, 15, 0);  // 10:00 in New York
        const uint64_t summer = test::utcFileTime(2024, 7, 15, 14, 0);  // 10:00 in New York
        ASSERT_NO_FATAL_FAILURE(test::writeCatalog(
            dir.file("save.fdb"), {{"/music/", "new.mp3", "", now - 2 * kHour, 1},
                                   {"/music/", "Week.MP3", "", now - 3 * kDay - 2 * kHour, 2},
                                   {"/music/", "old.mp3", "", now - 40 * kDay, 3},
                                   {"/music/", "older.mp3", "", now - 70 * kDay, 4},
                                   {"/music/", "future.mp3", "", now + kDay, 5},
                                   {"/music/sub/", "deep.mp3", "", now - 10 * kDay, 6},
                                   {"/photos/", "a.jpg", "", now - 2 * kHour, 7},
                                   {"/photos/", "b.JPG", "", now - 20 * kDay, 8},
                                   {"/photos/", "track.mp3", "", now - 50 * kDay, 9},
                                   {"/archive/", "before.mp3", "", winter - kSecond, 10},
                                   {"/archive/", "winter.mp3", "", winter, 11},
                                   {"/archive/", "summer.doc", "", summer, 12},
                                   {"/archive/", "after.doc", "", summer + kSecond, 13}}));
        session = std::make_unique<AppSession>(dir.path(), prompt, dialogs);
        session->openStartCatalog("");
    }

    std::unique_ptr<CSearchDialog> open(bool managed) {
        auto dialog = std::make_unique<CSearchDialog>(session->searches,
                                                      session->workspace.settings().pageColumnCount,
                                                      prompt, managed, nullptr);
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        return dialog;
    }

    // The modal dialog as the window opens it, driven by `drive` once it shows.
    Found find(const std::function<void(CSearchDialog&)>& drive) {
        Found found;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<CSearchDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            drive(*dialog);
            if (dialog->isVisible()) dialog->reject();
        });
        CSearchDialog::OpenSearchDialog(
            nullptr, session->searches, session->workspace.settings().pageColumnCount, prompt,
            false, [&](int32_t position) {
                ++searchesRun;
                ASSERT_EQ(session->search.runSavedSearch(position, -1), 1);
                const int view = session->catalog.currentList();
                for (const test::Rec& r : test::readList(session->catalog, view))
                    found.insert(r.folder + "\t" + r.name);
            });
        return found;
    }

    // What `varnel-cli search ARGS` lists from the same catalog.
    Found cliSearch(std::vector<std::string> args) {
        args.insert(args.begin(), {test::cliPath(), "-d", dir.file("save.fdb"), "search"});
        const test::ProcessResult result = test::runProcess(args);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        Found found;
        std::istringstream lines(result.out);
        for (std::string line; std::getline(lines, line);)
            found.insert(line.substr(0, line.find('\t', line.find('\t') + 1)));
        return found;
    }

    std::vector<std::string> savedNames(const SavedSearchList& list) {
        std::vector<std::string> names;
        for (int32_t i = 0; i < list.count(); ++i) names.emplace_back(list.savedSearchName(i));
        return names;
    }
};

void click(QWidget& dialog, const char* name) {
    QWidget* widget = child(dialog, name);
    // A radio button takes clicks on its indicator and text, which start at its left edge.
    const QPoint at = qobject_cast<QRadioButton*>(widget) ? QPoint(8, widget->height() / 2)
                                                          : widget->rect().center();
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, at);
}

void type(QWidget& dialog, const char* name, const QString& text) {
    QWidget* widget = child(dialog, name);
    auto* edit = qobject_cast<QLineEdit*>(widget);
    if (auto* combo = qobject_cast<QComboBox*>(widget)) edit = combo->lineEdit();
    ASSERT_NE(edit, nullptr) << name;
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

void clickLine(QWidget& dialog, int row) {
    auto* list = child<QListWidget>(dialog, "savedSearches");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                      list->visualItemRect(list->item(row)).center());
}

std::vector<std::string> lines(QWidget& dialog) {
    std::vector<std::string> out;
    auto* list = child<QListWidget>(dialog, "savedSearches");
    for (int k = 0; k < list->count(); ++k) out.push_back(list->item(k)->text().toStdString());
    return out;
}

// The checked date radio ("none" when none is), then which of the day edit, the month edit
// and the range pickers are enabled: "dayRadio d--".
std::string dates(QWidget& dialog) {
    std::string out = "none ";
    for (const char* name : {"dayRadio", "monthRadio", "rangeRadio"})
        if (child<QRadioButton>(dialog, name)->isChecked()) out = name + std::string(" ");
    out += child(dialog, "dayCount")->isEnabled() ? 'd' : '-';
    out += child(dialog, "monthCount")->isEnabled() ? 'm' : '-';
    out += child(dialog, "rangeStart")->isEnabled() ? 'r' : '-';
    if (child(dialog, "rangeEnd")->isEnabled() != (out.back() == 'r')) out += '!';
    return out;
}

TEST_F(SearchDialogTest, CriteriaFirstAndTheSavedSearchesBehindSave) {
    auto dialog = open(false);
    EXPECT_EQ(dialog->windowTitle(), "search");
    // Only the criteria and the three buttons below them are inside the dialog at first.
    auto* manage = child<QPushButton>(*dialog, "manage");
    auto* name = child(*dialog, "searchName");
    EXPECT_EQ(manage->text(), "Save>>");
    EXPECT_EQ(dialog->height(), name->y() - 10);
    for (const char* button : {"find", "cancel", "manage"})
        EXPECT_LE(child(*dialog, button)->geometry().bottom(), dialog->height());
    EXPECT_FALSE(child(*dialog, "columns")->isVisible());
    EXPECT_EQ(lines(*dialog), (std::vector<std::string>{"Softwares ", "MultiMedia files",
                                                        "Music files", "Html documents"}));

    const int width = dialog->width();
    const QPoint corner = dialog->pos();
    click(*dialog, "manage");
    EXPECT_EQ(manage->text(), "Save<<");
    EXPECT_EQ(dialog->width(), width);
    EXPECT_EQ(dialog->pos(), corner);
    for (const char* inside : {"searchName", "savedSearches", "add", "exit"})
        EXPECT_LE(child(*dialog, inside)->geometry().bottom(), dialog->height()) << inside;
    click(*dialog, "manage");
    EXPECT_EQ(manage->text(), "Save>>");
    EXPECT_EQ(dialog->height(), name->y() - 10);

    // The result page's link opens it with the saved searches shown.
    auto managed = open(true);
    EXPECT_EQ(child<QPushButton>(*managed, "manage")->text(), "Save<<");
    EXPECT_GT(managed->height(), child(*managed, "exit")->geometry().bottom());
}

TEST_F(SearchDialogTest, RadiosEnableTheirControlsAndSavedCriteriaShowAsStored) {
    session->searches.modifySavedSearch("Music files", "*.mp3,*.wav", "", 60);
    session->searches.modifySavedSearch("Html documents", "*.htm", "/web/", 7);
    auto dialog = open(true);
    EXPECT_EQ(dates(*dialog), "none ---");
    click(*dialog, "dayRadio");
    EXPECT_EQ(dates(*dialog), "dayRadio d--");
    click(*dialog, "monthRadio");
    EXPECT_EQ(dates(*dialog), "monthRadio -m-");
    click(*dialog, "rangeRadio");
    EXPECT_EQ(dates(*dialog), "rangeRadio --r");

    clickLine(*dialog, 2);
    EXPECT_EQ(child<QLineEdit>(*dialog, "searchName")->text(), "Music files");
    EXPECT_EQ(child<QComboBox>(*dialog, "findType")->currentText(), "*.mp3,*.wav");
    EXPECT_EQ(child<QLineEdit>(*dialog, "monthCount")->text(), "2");
    EXPECT_EQ(dates(*dialog), "monthRadio -m-");

    clickLine(*dialog, 3);
    EXPECT_EQ(child<QLineEdit>(*dialog, "inFolder")->text(), "/web/");
    EXPECT_EQ(child<QLineEdit>(*dialog, "dayCount")->text(), "7");
    EXPECT_EQ(child<QLineEdit>(*dialog, "monthCount")->text(), "0");
    EXPECT_EQ(dates(*dialog), "dayRadio ---");  // until the radio is clicked
    click(*dialog, "dayRadio");
    EXPECT_EQ(dates(*dialog), "dayRadio d--");

    clickLine(*dialog, 0);
    EXPECT_EQ(child<QLineEdit>(*dialog, "searchName")->text(), "Softwares ");
    EXPECT_EQ(dates(*dialog), "none ---");

    // "..." puts the chosen folder in, with its separator; Cancel leaves the field alone.
    std::vector<QString> answers = {QStringLiteral("/home/u/Music"), QString()};
    dialog->chooseFolder = [&] {
        const QString next = answers.front();
        answers.erase(answers.begin());
        return next;
    };
    click(*dialog, "browseFolder");
    EXPECT_EQ(child<QLineEdit>(*dialog, "inFolder")->text(), "/home/u/Music/");
    click(*dialog, "browseFolder");
    EXPECT_EQ(child<QLineEdit>(*dialog, "inFolder")->text(), "/home/u/Music/");
}

TEST_F(SearchDialogTest, EditingTheListReachesCfgDat) {
    auto dialog = open(true);
    type(*dialog, "searchName", "Recent music");
    type(*dialog, "findType", "*.mp3");
    type(*dialog, "inFolder", "/music/");
    click(*dialog, "dayRadio");
    type(*dialog, "dayCount", "45");
    EXPECT_EQ(boxTexts(QMessageBox::Ok, [&] { click(*dialog, "add"); }),
              Texts{"Please enter a number of days from 0 to 31."});
    EXPECT_EQ(lines(*dialog).size(), 4u);
    EXPECT_EQ(session->searches.count(), 4);

    type(*dialog, "dayCount", "7");
    click(*dialog, "add");
    type(*dialog, "searchName", "RECENT MUSIC");  // the same name: nothing happens
    click(*dialog, "add");
    EXPECT_EQ(lines(*dialog).back(), "Recent music");
    ASSERT_EQ(session->searches.count(), 5);
    EXPECT_EQ(session->searches.savedSearchDays(4), 7);

    type(*dialog, "searchName", "recent MUSIC");
    click(*dialog, "monthRadio");
    type(*dialog, "monthCount", "2");
    click(*dialog, "modify");
    EXPECT_EQ(session->searches.savedSearchDays(4), 60);
    EXPECT_EQ(lines(*dialog).back(), "recent MUSIC");

    clickLine(*dialog, 4);
    click(*dialog, "up");
    EXPECT_EQ(child<QListWidget>(*dialog, "savedSearches")->currentRow(), 3);
    clickLine(*dialog, 4);
    click(*dialog, "down");  // the last line stays
    clickLine(*dialog, 0);
    click(*dialog, "up");  // so does the first
    click(*dialog, "delete");
    const std::vector<std::string> expected = {"MultiMedia files", "Music files", "recent MUSIC",
                                               "Html documents"};
    EXPECT_EQ(lines(*dialog), expected);
    EXPECT_EQ(savedNames(session->searches), expected);

    // "exit" refuses a bad column count, then keeps a good one and closes without a search.
    auto* columns = child<QLineEdit>(*dialog, "columns");
    columns->setText(QStringLiteral("0"));
    EXPECT_EQ(boxTexts(QMessageBox::Ok, [&] { click(*dialog, "exit"); }).size(), 1u);
    EXPECT_TRUE(dialog->isVisible());
    columns->setText(QStringLiteral("3"));
    click(*dialog, "exit");
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);

    ASSERT_TRUE(session->workspace.saveSettings(session->catalog.recordCount(kMasterList)));
    Workspace reread(dir.path(), std::vector<std::string>{});
    Settings settings = reread.settings();
    SavedSearchList stored(settings.savedSearchCount, settings.savedSearchBlock);
    EXPECT_EQ(savedNames(stored), expected);
    EXPECT_EQ(stored.savedSearchPatterns(2), "*.mp3");
    EXPECT_EQ(stored.savedSearchFolder(2), "/music/");
    EXPECT_EQ(settings.pageColumnCount, 3);
}

TEST_F(SearchDialogTest, FindListsWhatTheCommandLineSearchLists) {
    const Found mp3 = find([](CSearchDialog& d) {
        type(d, "findType", "*.mp3");
        click(d, "find");
    });
    EXPECT_EQ(mp3, cliSearch({"--types", "*.mp3"}));
    EXPECT_EQ(mp3.size(), 9u);

    const Found recent = find([](CSearchDialog& d) {
        type(d, "findType", "*.MP3,*.jpg");
        type(d, "inFolder", "/MUSIC/");
        click(d, "dayRadio");
        type(d, "dayCount", "5");
        click(d, "find");
    });
    EXPECT_EQ(recent, cliSearch({"--types", "*.MP3,*.jpg", "--folder", "/MUSIC/", "--days", "5"}));
    EXPECT_EQ(recent, (Found{"/music/\tnew.mp3", "/music/\tWeek.MP3"}));

    const Found twoMonths = find([](CSearchDialog& d) {
        click(d, "monthRadio");
        type(d, "monthCount", "2");
        click(d, "find");
    });
    EXPECT_EQ(twoMonths, cliSearch({"--days", "60"}));
    EXPECT_EQ(twoMonths.size(), 7u);
    EXPECT_EQ(searchesRun, 3);
    EXPECT_EQ(session->searches.count(), 4);  // the temporary entry is gone

    // A saved search holding Find's own name is neither run nor removed.
    session->searches.addSavedSearch("Varnel System Search", "*", "", 0);
    test::BoxAnswerer answer(QMessageBox::Ok);
    const Found none = find([](CSearchDialog& d) {
        click(d, "find");
        EXPECT_TRUE(d.isVisible());
    });
    EXPECT_TRUE(none.empty());
    EXPECT_EQ(searchesRun, 3);
    ASSERT_EQ(answer.texts.size(), 1u);
    EXPECT_NE(answer.texts[0].find("Varnel system Search"), std::string::npos);
    EXPECT_EQ(session->searches.count(), 5);
    EXPECT_EQ(session->searches.savedSearchName(4), "Varnel System Search");
}

// A range is picked in New York's wall-clock time, stored as the instants it names, shown
// again as the same wall-clock times, and finds what varnel-cli finds for the same text.
TEST_F(SearchDialogTest, DateRangeRoundTripInNewYork) {
    test::TimeZoneScope newYork("America/New_York");
    const QDateTime start(QDate(2024, 1, 15), QTime(10, 0));
    const QDateTime end(QDate(2024, 7, 15), QTime(10, 0));
    {
        auto dialog = open(true);
        type(*dialog, "searchName", "first half");
        click(*dialog, "rangeRadio");
        child<QDateTimeEdit>(*dialog, "rangeStart")->setDateTime(start);
        child<QDateTimeEdit>(*dialog, "rangeEnd")->setDateTime(end);
        click(*dialog, "add");
        ASSERT_EQ(session->searches.count(), 5);
        EXPECT_EQ(session->searches.savedSearchDays(4), -1);
        EXPECT_EQ(session->searches.savedSearchStart(4), test::utcFileTime(2024, 1, 15, 15, 0));
        EXPECT_EQ(session->searches.savedSearchEnd(4), test::utcFileTime(2024, 7, 15, 14, 0));
    }
    const Found found = find([&](CSearchDialog& d) {
        click(d, "manage");
        clickLine(d, 4);
        EXPECT_EQ(dates(d), "rangeRadio ---");
        EXPECT_EQ(child<QDateTimeEdit>(d, "rangeStart")->dateTime(), start);
        EXPECT_EQ(child<QDateTimeEdit>(d, "rangeEnd")->dateTime(), end);
        click(d, "find");
    });
    EXPECT_EQ(found, cliSearch({"--from", "2024-01-15T10:00", "--to", "2024-07-15T10:00"}));
    EXPECT_EQ(found, (Found{"/archive/\twinter.mp3", "/archive/\tsummer.doc"}));
}

}  // namespace
}  // namespace varnel
