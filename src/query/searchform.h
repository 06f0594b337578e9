#pragma once
// The search dialog as the core sees it: its fields, their checks, the date criterion each
// radio button stands for, what the controls show for a saved search, and what "add",
// "Modify", "Find", "exit" and the list buttons do to the saved-search list. The window only
// draws these and forwards the user's clicks.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/filetime.h"

namespace varnel {

class SavedSearchList;

inline constexpr char kSearchDialogTitle[] = "search";
inline constexpr char kTemporarySearchName[] = "Varnel system Search";
inline constexpr char kSearchFolderChooserTitle[] = "select path";
inline constexpr char kManageClosedText[] = "Save>>";
inline constexpr char kManageOpenText[] = "Save<<";

inline constexpr int32_t kMaxDayCount = 31;
inline constexpr int32_t kMaxMonthCount = 100;
inline constexpr int32_t kDaysPerMonth = 30;
inline constexpr int32_t kRangeDays = -1;  // the days value of a search with a date range

// The dialog's height with only the criteria shown: it ends 10 pixels above the name edit.
inline constexpr int kSearchNameTop = 170;
inline constexpr int kCriteriaHeight = kSearchNameTop - 10;
inline constexpr int kManagedHeight = 372;

// The radio button checked in the date group.
enum class DateChoice { None, Days, Months, Range };

struct SearchForm {
    std::string folder;
    std::string patterns;
    std::string name;
    std::string dayText = "0";
    std::string monthText = "0";
    DateChoice choice = DateChoice::None;
    LocalDateTime start, end;  // the two pickers
    std::string columnsText = "1";
};

// Which date controls take input, and which radio is checked.
struct DateControls {
    DateChoice checked = DateChoice::None;
    bool dayEnabled = false;
    bool monthEnabled = false;
    bool pickersEnabled = false;
};

// A click on a radio button, or the focus entering its edit or one of the pickers, checks
// that radio and enables its controls alone.
DateControls dateControlsFor(DateChoice clicked);

// What the date controls show for a saved criterion.
struct CriterionView {
    std::string dayText = "0";
    std::string monthText = "0";
    DateControls controls;
    LocalDateTime start, end;
};

// Days above 31 show as whole months in the enabled month edit; 1 to 31 as days (the day
// edit stays disabled until its radio is clicked); a range shows its stored ends as local
// times in disabled pickers; otherwise the pickers show `now`.
CriterionView showCriterion(int32_t days, uint64_t start, uint64_t end, uint64_t now);

// Selecting list-box line `position`, which reads `lineText`: the form takes that saved
// search's texts and criterion. Returns what the date controls show.
CriterionView selectSavedSearch(const SavedSearchList& searches, int32_t position,
                                std::string_view lineText, uint64_t now, SearchForm& form);

// The form's date criterion, checked: every number field must hold a number in its range,
// also when its radio is not checked. `message` says what is wrong when false is returned.
struct FormCriterion {
    int32_t days = 0;
    uint64_t start = 0, end = 0;  // set for a range only
    int32_t columns = 1;
};
bool readSearchForm(const SearchForm& form, FormCriterion& out, std::string& message);

// What one button did. A message is for the user and means the operation stopped.
struct FormResult {
    bool changed = false;
    int32_t position = -1;  // the saved search added or changed
    std::string message;
};

// "add": appends the form as a saved search; a name already there (ignoring case) changes
// nothing and says nothing.
FormResult addFromDialog(const SearchForm& form, SavedSearchList& searches);
// "Modify": replaces the saved search of the form's name (ignoring case); an unknown name
// changes nothing and says nothing.
FormResult modifyFromDialog(const SearchForm& form, SavedSearchList& searches);
// "exit": checks the fields and takes the column count.
FormResult exitFromDialog(const SearchForm& form, int32_t& pageColumns);

// "Find", in the dialog: names the form "Varnel system Search" and adds it. When it cannot
// be added (that name is taken, or the list is full) the message says so and the list is
// as it was.
FormResult startFind(SearchForm& form, SavedSearchList& searches);
// "Find", after the dialog: runs the temporary saved search at `position`, then removes it.
void finishFind(SavedSearchList& searches, int32_t position,
                const std::function<void(int32_t position)>& runSearch);

// "up" (step -1) and "down" (step +1) on list-box line `selected` of `lineCount` lines that
// reads `lineText`. Returns the line to select afterwards, or -1 when nothing moves (no
// selection, the first line up, the last line down).
int32_t moveFromDialog(SavedSearchList& searches, int32_t selected, int32_t lineCount,
                       std::string_view lineText, int step);

// The folder field after the folder chooser gave `chosen` (empty: cancelled).
std::string browsedFolderText(std::string_view chosen, std::string_view field);

// The manage button: the dialog takes the remembered height and remembers the one it had;
// the button's text switches between "Save>>" and "Save<<".
struct ManageToggle {
    int height;
    int rememberedHeight;
    std::string buttonText;
};
ManageToggle toggleManaged(int height, int rememberedHeight, std::string_view buttonText);

}  // namespace varnel
