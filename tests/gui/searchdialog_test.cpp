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

using test::BoxAnswerer;
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
        Catalog catalog(64);
        const uint64_t winter = test::utcFileTime(2024, 1, 15, 15, 0);  // 10:00 in New York
        const uint64_t summer = test::utcFileTime(2024, 7, 15, 14, 0);  // 10:00 in New York
        test::appendRecords(catalog, kMasterList,
                            {{"/music/", "new.mp3", "", now - 2 * kHour, 1},
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
                             {"/archive/", "after.doc", "", summer + kSecond, 13}});
        SilentPrompt silent;
        CatalogDatabase db(catalog, silent, dir.file("save.fdb"));
        ASSERT_EQ(db.writeCatalogFile(dir.file("save.fdb"), nullptr), 1);
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

template <class Widget>
Widget* child(QWidget& dialog, const char* name) {
    auto* widget = dialog.findChild<Widget*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

void click(QWidget& dialog, const char* name) {
    QWidget* widget = child<QWidget>(dialog, name);
    // A radio button takes clicks on its indicator and text, which start at its left edge.
    const QPoint at = qobject_cast<QRadioButton*>(widget) ? QPoint(8, widget->height() / 2)
                                                          : widget->rect().center();
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, at);
}

void type(QWidget& dialog, const char* name, const QString& text) {
    QWidget* widget = child<QWidget>(dialog, name);
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

// Enabled flags of the day edit, the month edit and the start picker, as "dme" letters.
std::string enabled(QWidget& dialog) {
    std::string out;
    out += child<QWidget>(dialog, "dayCount")->isEnabled() ? 'd' : '-';
    out += child<QWidget>(dialog, "monthCount")->isEnabled() ? 'm' : '-';
    out += child<QWidget>(dialog, "rangeStart")->isEnabled() ? 'r' : '-';
    if (child<QWidget>(dialog, "rangeEnd")->isEnabled() != (out[2] == 'r')) out += '!';
    return out;
}

std::string checkedRadio(QWidget& dialog) {
    for (const char* name : {"dayRadio", "monthRadio", "rangeRadio"})
        if (child<QRadioButton>(dialog, name)->isChecked()) return name;
    return "none";
}

TEST_F(SearchDialogTest, CriteriaFirstAndTheSavedSearchesBehindSave) {
    auto dialog = open(false);
    EXPECT_EQ(dialog->windowTitle(), "search");
    const std::pair<const char*, QRect> places[] = {
        {"findType", {90, 10, 290, 22}},     {"inFolder", {90, 40, 260, 22}},
        {"browseFolder", {350, 40, 30, 22}}, {"dayRadio", {20, 70, 70, 22}},
        {"dayCount", {90, 70, 80, 22}},      {"monthRadio", {200, 70, 60, 22}},
        {"monthCount", {260, 70, 80, 22}},   {"rangeRadio", {20, 100, 70, 22}},
        {"rangeStart", {90, 100, 100, 22}},  {"rangeEnd", {260, 100, 100, 22}}};
    for (const auto& [name, rect] : places)
        EXPECT_EQ(child<QWidget>(*dialog, name)->geometry(), rect) << name;

    // Only the criteria and the three buttons below them are inside the dialog at first.
    auto* manage = child<QPushButton>(*dialog, "manage");
    auto* name = child<QWidget>(*dialog, "searchName");
    EXPECT_EQ(manage->text(), "Save>>");
    EXPECT_EQ(dialog->height(), name->y() - 10);
    for (const char* button : {"find", "cancel", "manage"})
        EXPECT_LE(child<QWidget>(*dialog, button)->geometry().bottom(), dialog->height());
    EXPECT_FALSE(child<QWidget>(*dialog, "columns")->isVisible());
    EXPECT_EQ(lines(*dialog), (std::vector<std::string>{"Softwares ", "MultiMedia files",
                                                        "Music files", "Html documents"}));

    const int width = dialog->width();
    const QPoint corner = dialog->pos();
    click(*dialog, "manage");
    EXPECT_EQ(manage->text(), "Save<<");
    EXPECT_EQ(dialog->width(), width);
    EXPECT_EQ(dialog->pos(), corner);
    for (const char* inside : {"searchName", "savedSearches", "add", "exit"})
        EXPECT_LE(child<QWidget>(*dialog, inside)->geometry().bottom(), dialog->height()) << inside;
    click(*dialog, "manage");
    EXPECT_EQ(manage->text(), "Save>>");
    EXPECT_EQ(dialog->height(), name->y() - 10);

    // The result page's link opens it with the saved searches shown.
    auto managed = open(true);
    EXPECT_EQ(child<QPushButton>(*managed, "manage")->text(), "Save<<");
    EXPECT_GT(managed->height(), child<QWidget>(*managed, "exit")->geometry().bottom());
}

TEST_F(SearchDialogTest, RadiosEnableTheirControlsAndSavedCriteriaShowAsStored) {
    session->searches.modifySavedSearch("Music files", "*.mp3,*.wav", "", 60);
    session->searches.modifySavedSearch("Html documents", "*.htm", "/web/", 7);
    auto dialog = open(true);
    EXPECT_EQ(checkedRadio(*dialog), "none");
    EXPECT_EQ(enabled(*dialog), "---");
    click(*dialog, "dayRadio");
    EXPECT_EQ(checkedRadio(*dialog), "dayRadio");
    EXPECT_EQ(enabled(*dialog), "d--");
    click(*dialog, "monthRadio");
    EXPECT_EQ(enabled(*dialog), "-m-");
    click(*dialog, "rangeRadio");
    EXPECT_EQ(checkedRadio(*dialog), "rangeRadio");
    EXPECT_EQ(enabled(*dialog), "--r");

    clickLine(*dialog, 2);
    EXPECT_EQ(child<QLineEdit>(*dialog, "searchName")->text(), "Music files");
    EXPECT_EQ(child<QComboBox>(*dialog, "findType")->currentText(), "*.mp3,*.wav");
    EXPECT_EQ(checkedRadio(*dialog), "monthRadio");
    EXPECT_EQ(child<QLineEdit>(*dialog, "monthCount")->text(), "2");
    EXPECT_EQ(enabled(*dialog), "-m-");

    clickLine(*dialog, 3);
    EXPECT_EQ(child<QLineEdit>(*dialog, "inFolder")->text(), "/web/");
    EXPECT_EQ(checkedRadio(*dialog), "dayRadio");
    EXPECT_EQ(child<QLineEdit>(*dialog, "dayCount")->text(), "7");
    EXPECT_EQ(child<QLineEdit>(*dialog, "monthCount")->text(), "0");
    EXPECT_EQ(enabled(*dialog), "---");  // until the radio is clicked
    click(*dialog, "dayRadio");
    EXPECT_EQ(enabled(*dialog), "d--");

    clickLine(*dialog, 0);
    EXPECT_EQ(child<QLineEdit>(*dialog, "searchName")->text(), "Softwares ");
    EXPECT_EQ(checkedRadio(*dialog), "none");

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
    {
        BoxAnswerer answer(QMessageBox::Ok);
        click(*dialog, "add");
        ASSERT_EQ(answer.texts.size(), 1u);
        EXPECT_EQ(answer.texts[0], "Please enter a number of days from 0 to 31.");
    }
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
    {
        BoxAnswerer answer(QMessageBox::Ok);
        click(*dialog, "exit");
        EXPECT_EQ(answer.texts.size(), 1u);
    }
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
    BoxAnswerer answer(QMessageBox::Ok);
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
        EXPECT_EQ(checkedRadio(d), "rangeRadio");
        EXPECT_EQ(enabled(d), "---");
        EXPECT_EQ(child<QDateTimeEdit>(d, "rangeStart")->dateTime(), start);
        EXPECT_EQ(child<QDateTimeEdit>(d, "rangeEnd")->dateTime(), end);
        click(d, "find");
    });
    EXPECT_EQ(found, cliSearch({"--from", "2024-01-15T10:00", "--to", "2024-07-15T10:00"}));
    EXPECT_EQ(found, (Found{"/archive/\twinter.mp3", "/archive/\tsummer.doc"}));
}

}  // namespace
}  // namespace varnel
