#include "query/searchform.h"

#include <charconv>

#include "catalog/tables.h"
#include "query/savedsearch.h"

namespace varnel {

namespace {

// Texts are handled in working copies of 2048 bytes, their terminator included.
constexpr size_t kTextLimit = 2048;

constexpr char kDaysRange[] = "Please enter a number of days from 0 to 31.";
constexpr char kMonthsRange[] = "Please enter a number of months from 0 to 100.";
constexpr char kColumnsRange[] = "Please enter a number of columns from 1 to 100.";
constexpr char kTextTooLong[] =
    "The search name, the file types and the folder must each be shorter than 2048 bytes.";
constexpr char kNameMissing[] = "Please enter a name for the search.";
constexpr char kListFull[] =
    "The saved searches are full (8192 bytes): delete one to make room for this one.";
constexpr char kTemporaryNameTaken[] =
    "A saved search is named \"Varnel system Search\", the name Find uses for its own search: "
    "rename or delete it, then search again.";

// A whole number from `low` to `high`; blanks around it are allowed, nothing else is.
bool readNumber(std::string_view text, int32_t low, int32_t high, int32_t& out) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (text.empty() || text.front() < '0' || text.front() > '9') return false;
    int32_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return false;
    if (value < low || value > high) return false;
    out = value;
    return true;
}

bool hasName(const SavedSearchList& searches, std::string_view name) {
    for (int32_t i = 0; i < searches.count(); ++i)
        if (equalIgnoringCase(searches.savedSearchName(i), name)) return true;
    return false;
}

int32_t positionOf(const SavedSearchList& searches, std::string_view name) {
    int32_t found = -1;
    for (int32_t i = 0; i < searches.count(); ++i)
        if (equalIgnoringCase(searches.savedSearchName(i), name)) found = i;
    return found;
}

FormResult stopped(std::string message) {
    FormResult result;
    result.message = std::move(message);
    return result;
}

}  // namespace

DateControls dateControlsFor(DateChoice clicked) {
    DateControls c;
    c.checked = clicked;
    c.dayEnabled = clicked == DateChoice::Days;
    c.monthEnabled = clicked == DateChoice::Months;
    c.pickersEnabled = clicked == DateChoice::Range;
    return c;
}

CriterionView showCriterion(int32_t days, uint64_t start, uint64_t end, uint64_t now) {
    CriterionView view;
    view.start = view.end = localFromFileTime(now);
    if (days > kMaxDayCount) {
        view.monthText = std::to_string(days / kDaysPerMonth);
        view.controls.monthEnabled = true;
        view.controls.checked = DateChoice::Months;
    } else if (days >= 1) {
        view.dayText = std::to_string(days);
        view.controls.checked = DateChoice::Days;
    } else if (days < 0) {
        view.controls.checked = DateChoice::Range;
        // An open end (not made by this dialog) shows as now.
        if (start != 0) view.start = localFromFileTime(start);
        if (end != 0) view.end = localFromFileTime(end);
    }
    return view;
}

CriterionView selectSavedSearch(const SavedSearchList& searches, int32_t position,
                                std::string_view lineText, uint64_t now, SearchForm& form) {
    form.name = std::string(lineText);
    form.patterns = std::string(searches.savedSearchPatterns(position));
    form.folder = std::string(searches.savedSearchFolder(position));
    const int32_t days = searches.savedSearchDays(position);
    const CriterionView view = days >= 0 ? showCriterion(days, now, now, now)
                                         : showCriterion(days, searches.savedSearchStart(position),
                                                         searches.savedSearchEnd(position), now);
    form.dayText = view.dayText;
    form.monthText = view.monthText;
    form.choice = view.controls.checked;
    form.start = view.start;
    form.end = view.end;
    return view;
}

bool readSearchForm(const SearchForm& form, FormCriterion& out, std::string& message) {
    int32_t dayCount = 0, monthCount = 0, columns = 1;
    if (!readNumber(form.dayText, 0, kMaxDayCount, dayCount)) {
        message = kDaysRange;
        return false;
    }
    if (!readNumber(form.monthText, 0, kMaxMonthCount, monthCount)) {
        message = kMonthsRange;
        return false;
    }
    if (!readNumber(form.columnsText, 1, 100, columns)) {
        message = kColumnsRange;
        return false;
    }
    for (const std::string* text : {&form.name, &form.patterns, &form.folder}) {
        if (text->size() >= kTextLimit || text->find('\0') != std::string::npos) {
            message = kTextTooLong;
            return false;
        }
    }
    out = FormCriterion{};
    out.columns = columns;
    switch (form.choice) {
        case DateChoice::None:
            break;
        case DateChoice::Days:
            out.days = dayCount;
            break;
        case DateChoice::Months:
            out.days = monthCount * kDaysPerMonth;
            break;
        case DateChoice::Range:
            // The pickers hold local wall-clock times; records hold UTC file times.
            out.days = kRangeDays;
            out.start = fileTimeFromLocal(form.start);
            out.end = fileTimeFromLocal(form.end);
            break;
    }
    return true;
}

FormResult addFromDialog(const SearchForm& form, SavedSearchList& searches) {
    FormCriterion c;
    std::string message;
    if (!readSearchForm(form, c, message)) return stopped(message);
    // An entry without a name could never be deleted again.
    if (form.name.empty()) return stopped(kNameMissing);
    if (hasName(searches, form.name)) return {};
    if (!searches.addSavedSearch(form.name, form.patterns, form.folder, c.days, c.start, c.end))
        return stopped(kListFull);
    return {true, searches.count() - 1, {}};
}

FormResult modifyFromDialog(const SearchForm& form, SavedSearchList& searches) {
    FormCriterion c;
    std::string message;
    if (!readSearchForm(form, c, message)) return stopped(message);
    const int32_t position = positionOf(searches, form.name);
    if (position < 0) return {};
    if (!searches.modifySavedSearch(form.name, form.patterns, form.folder, c.days, c.start, c.end))
        return stopped(kListFull);
    return {true, position, {}};
}

FormResult exitFromDialog(const SearchForm& form, int32_t& pageColumns) {
    FormCriterion c;
    std::string message;
    if (!readSearchForm(form, c, message)) return stopped(message);
    pageColumns = c.columns;
    return {};
}

FormResult startFind(SearchForm& form, SavedSearchList& searches) {
    FormCriterion c;
    std::string message;
    if (!readSearchForm(form, c, message)) return stopped(message);
    form.name = kTemporarySearchName;
    // Were the name taken, the search would run and then delete the user's entry.
    if (hasName(searches, kTemporarySearchName)) return stopped(kTemporaryNameTaken);
    if (!searches.addSavedSearch(form.name, form.patterns, form.folder, c.days, c.start, c.end))
        return stopped(kListFull);
    return {true, searches.count() - 1, {}};
}

void finishFind(SavedSearchList& searches, int32_t position,
                const std::function<void(int32_t position)>& runSearch) {
    if (position < 0) return;
    if (runSearch) runSearch(position);
    searches.removeSavedSearch(kTemporarySearchName);
}

int32_t moveFromDialog(SavedSearchList& searches, int32_t selected, int32_t lineCount,
                       std::string_view lineText, int step) {
    const int32_t target = selected + step;
    if (selected < 0 || selected >= lineCount || target < 0 || target >= lineCount) return -1;
    if (step < 0)
        searches.moveSavedSearchUp(lineText);
    else
        searches.moveSavedSearchDown(lineText);
    return target;
}

std::string browsedFolderText(std::string_view chosen, std::string_view field) {
    if (chosen.empty()) return std::string(field);
    std::string text(chosen);
    if (text.back() != '/') text.push_back('/');
    return text;
}

ManageToggle toggleManaged(int height, int rememberedHeight, std::string_view buttonText) {
    return {rememberedHeight, height,
            buttonText == kManageClosedText ? kManageOpenText : kManageClosedText};
}

}  // namespace varnel
