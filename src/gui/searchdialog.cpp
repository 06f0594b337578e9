#include "gui/searchdialog.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QEvent>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>

#include "gui/dialogfolder.h"
#include "gui/guiprompt.h"
#include "platform/filetime.h"
#include "platform/prompt.h"
#include "query/savedsearch.h"

namespace varnel {

namespace {

constexpr int kRowHeight = 22;
constexpr int kDialogWidth = 400;
constexpr int kTextMax = 2047;  // a working text and its terminator fit 2048 bytes

// Every control sits where the dialog's layout puts it, 22 pixels high.
template <class Widget>
Widget* place(Widget* widget, const char* name, int x, int y, int width, int height = kRowHeight) {
    if (name) widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(x, y, width, height);
    return widget;
}

QLabel* label(const char* text, int x, int y, int width, QWidget* parent) {
    return place(new QLabel(QString::fromLatin1(text), parent), nullptr, x, y, width);
}

QPushButton* button(const char* text, const char* name, int x, int y, int width, QWidget* parent) {
    auto* b = place(new QPushButton(QString::fromLatin1(text), parent), name, x, y, width);
    b->setAutoDefault(false);
    return b;
}

QLineEdit* numberEdit(const char* name, int x, int y, QWidget* parent) {
    auto* edit = place(new QLineEdit(parent), name, x, y, 80);
    // Digits only; the range is checked when the fields are read, with a message.
    edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
    edit->setMaxLength(10);
    return edit;
}

QDateTimeEdit* picker(const char* name, int x, int y, QWidget* parent) {
    auto* edit = place(new QDateTimeEdit(parent), name, x, y, 100);
    // The date is shown; the time of day the picker was set to is kept with it.
    edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    edit->setCalendarPopup(true);
    return edit;
}

QDateTime toQt(const LocalDateTime& t) {
    return QDateTime(QDate(t.year, t.month, t.day), QTime(t.hour, t.minute, t.second));
}

LocalDateTime fromQt(const QDateTime& t) {
    const QDate d = t.date();
    const QTime h = t.time();
    return {d.year(), d.month(), d.day(), h.hour(), h.minute(), h.second()};
}

// A list-box line keeps its saved search's name as bytes: the shown text may not say them
// exactly, and delete, up and down find the saved search by the exact name.
QByteArray lineName(const QListWidgetItem* item) {
    return item->data(Qt::UserRole).toByteArray();
}

QListWidgetItem* makeLine(std::string_view name) {
    auto* item = new QListWidgetItem(fromBytes(name));
    item->setData(Qt::UserRole, QByteArray(name.data(), static_cast<qsizetype>(name.size())));
    return item;
}

std::string_view bytesOf(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<size_t>(bytes.size())};
}

}  // namespace

CSearchDialog::CSearchDialog(SavedSearchList& searches, int32_t& pageColumns, Prompt& prompt,
                             bool openManaged, QWidget* parent)
    : QDialog(parent), searches_(searches), pageColumns_(pageColumns), prompt_(prompt) {
    setObjectName(QStringLiteral("searchDialog"));
    setWindowTitle(QString::fromLatin1(kSearchDialogTitle));
    buildCriteria();
    buildManaged();

    const uint64_t now = systemFileTime();
    showCriterion(varnel::showCriterion(0, now, now, now));
    for (int32_t i = 0; i < searches_.count(); ++i)
        list_->addItem(makeLine(searches_.savedSearchName(i)));
    columns_->setText(QString::number(pageColumns_));

    // Shown cut off above the name edit: the criteria, "Find", "Cancel" and "Save>>".
    setFixedSize(kDialogWidth, kCriteriaHeight);
    rememberedHeight_ = kManagedHeight;
    if (openManaged) toggleManage();

    chooseFolder = [this] {
        const QString path =
            QFileDialog::getExistingDirectory(this, QString::fromLatin1(kSearchFolderChooserTitle),
                                              CDialogFolder::start(), QFileDialog::ShowDirsOnly);
        CDialogFolder::remember(path);
        return path;
    };
}

void CSearchDialog::buildCriteria() {
    label("Find type", 20, 10, 70, this);
    patterns_ = place(new QComboBox(this), "findType", 90, 10, 290);
    patterns_->setEditable(true);
    patterns_->lineEdit()->setMaxLength(kTextMax);

    label("In folder", 20, 40, 70, this);
    folder_ = place(new QLineEdit(this), "inFolder", 90, 40, 260);
    folder_->setMaxLength(kTextMax);
    auto* browse = button("...", "browseFolder", 350, 40, 30, this);

    dayRadio_ = place(new QRadioButton(QStringLiteral("before"), this), "dayRadio", 20, 70, 70);
    dayCount_ = numberEdit("dayCount", 90, 70, this);
    label("day", 170, 70, 30, this);
    monthRadio_ =
        place(new QRadioButton(QStringLiteral("before"), this), "monthRadio", 200, 70, 60);
    monthCount_ = numberEdit("monthCount", 260, 70, this);
    label("month", 340, 70, 50, this);
    rangeRadio_ = place(new QRadioButton(QStringLiteral("start"), this), "rangeRadio", 20, 100, 70);
    start_ = picker("rangeStart", 90, 100, this);
    label("end", 200, 100, 60, this);
    end_ = picker("rangeEnd", 260, 100, this);

    dateGroup_ = new QButtonGroup(this);
    dateGroup_->addButton(dayRadio_);
    dateGroup_->addButton(monthRadio_);
    dateGroup_->addButton(rangeRadio_);
    const std::pair<QRadioButton*, DateChoice> radios[] = {{dayRadio_, DateChoice::Days},
                                                           {monthRadio_, DateChoice::Months},
                                                           {rangeRadio_, DateChoice::Range}};
    for (const auto& radio : radios) {
        const DateChoice choice = radio.second;
        connect(radio.first, &QRadioButton::clicked, this,
                [this, choice] { showDateControls(dateControlsFor(choice)); });
    }
    for (QWidget* w : std::initializer_list<QWidget*>{dayCount_, monthCount_, start_, end_})
        w->installEventFilter(this);

    auto* findButton = button("Find", "find", 110, 130, 80, this);
    findButton->setDefault(true);
    auto* cancel = button("Cancel", "cancel", 200, 130, 80, this);
    manage_ = button(kManageClosedText, "manage", 300, 130, 80, this);

    connect(browse, &QPushButton::clicked, this, &CSearchDialog::browseFolder);
    connect(findButton, &QPushButton::clicked, this, &CSearchDialog::find);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(manage_, &QPushButton::clicked, this, &CSearchDialog::toggleManage);
}

void CSearchDialog::buildManaged() {
    const int top = kSearchNameTop;
    label("search name", 20, top, 80, this);
    name_ = place(new QLineEdit(this), "searchName", 100, top, 280);
    name_->setMaxLength(kTextMax);
    list_ = place(new QListWidget(this), "savedSearches", 20, top + 30, 260, 160);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);

    const std::pair<const char*, const char*> buttons[] = {
        {"add", "add"}, {"Modify", "modify"}, {"delete", "delete"},
        {"up", "up"},   {"down", "down"},     {"exit", "exit"}};
    QPushButton* made[6];
    int y = top + 30;
    for (int k = 0; k < 6; ++k, y += 28)
        made[k] = button(buttons[k].first, buttons[k].second, 290, y, 90, this);

    // The result page's column count travels with the dialog, out of sight.
    auto* columnsLabel = label("line:", 20, top + 200, 70, this);
    columns_ = place(new QLineEdit(this), "columns", 90, top + 200, 80);
    columnsLabel->hide();
    columns_->hide();

    connect(made[0], &QPushButton::clicked, this, &CSearchDialog::addSearch);
    connect(made[1], &QPushButton::clicked, this, &CSearchDialog::modifySearch);
    connect(made[2], &QPushButton::clicked, this, &CSearchDialog::deleteSearch);
    connect(made[3], &QPushButton::clicked, this, [this] { moveSearch(-1); });
    connect(made[4], &QPushButton::clicked, this, [this] { moveSearch(+1); });
    connect(made[5], &QPushButton::clicked, this, &CSearchDialog::exitDialog);
    connect(list_, &QListWidget::currentRowChanged, this, &CSearchDialog::selectSearch);
}

SearchForm CSearchDialog::form() const {
    SearchForm f;
    f.folder = toBytes(folder_->text());
    f.patterns = toBytes(patterns_->currentText());
    f.name = toBytes(name_->text());
    f.dayText = toBytes(dayCount_->text());
    f.monthText = toBytes(monthCount_->text());
    f.choice = dayRadio_->isChecked()     ? DateChoice::Days
               : monthRadio_->isChecked() ? DateChoice::Months
               : rangeRadio_->isChecked() ? DateChoice::Range
                                          : DateChoice::None;
    f.start = fromQt(start_->dateTime());
    f.end = fromQt(end_->dateTime());
    f.columnsText = toBytes(columns_->text());
    return f;
}

void CSearchDialog::setForm(const SearchForm& f) {
    folder_->setText(fromBytes(f.folder));
    patterns_->setEditText(fromBytes(f.patterns));
    name_->setText(fromBytes(f.name));
    dayCount_->setText(fromBytes(f.dayText));
    monthCount_->setText(fromBytes(f.monthText));
    start_->setDateTime(toQt(f.start));
    end_->setDateTime(toQt(f.end));
}

void CSearchDialog::showDateControls(const DateControls& c) {
    // An exclusive group keeps one radio checked; "none" needs it let go for a moment.
    dateGroup_->setExclusive(false);
    dayRadio_->setChecked(c.checked == DateChoice::Days);
    monthRadio_->setChecked(c.checked == DateChoice::Months);
    rangeRadio_->setChecked(c.checked == DateChoice::Range);
    dateGroup_->setExclusive(true);
    dayCount_->setEnabled(c.dayEnabled);
    monthCount_->setEnabled(c.monthEnabled);
    start_->setEnabled(c.pickersEnabled);
    end_->setEnabled(c.pickersEnabled);
}

void CSearchDialog::showCriterion(const CriterionView& view) {
    dayCount_->setText(fromBytes(view.dayText));
    monthCount_->setText(fromBytes(view.monthText));
    start_->setDateTime(toQt(view.start));
    end_->setDateTime(toQt(view.end));
    showDateControls(view.controls);
}

bool CSearchDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        if (watched == dayCount_)
            showDateControls(dateControlsFor(DateChoice::Days));
        else if (watched == monthCount_)
            showDateControls(dateControlsFor(DateChoice::Months));
        else if (watched == start_ || watched == end_)
            showDateControls(dateControlsFor(DateChoice::Range));
    }
    return QDialog::eventFilter(watched, event);
}

bool CSearchDialog::stoppedWith(const FormResult& result) {
    if (result.message.empty()) return false;
    prompt_.tell(result.message);
    return true;
}

void CSearchDialog::toggleManage() {
    const ManageToggle t = toggleManaged(height(), rememberedHeight_, toBytes(manage_->text()));
    rememberedHeight_ = t.rememberedHeight;
    setFixedSize(width(), t.height);
    manage_->setText(fromBytes(t.buttonText));
}

void CSearchDialog::addSearch() {
    const SearchForm f = form();
    const FormResult result = addFromDialog(f, searches_);
    if (stoppedWith(result) || !result.changed) return;
    const QSignalBlocker quiet(list_);
    list_->addItem(makeLine(searches_.savedSearchName(result.position)));
}

void CSearchDialog::modifySearch() {
    const FormResult result = modifyFromDialog(form(), searches_);
    if (stoppedWith(result) || !result.changed) return;
    // The entry takes the name as typed; its line follows, so delete and the moves find it.
    if (QListWidgetItem* line = list_->item(result.position)) {
        const std::string_view name = searches_.savedSearchName(result.position);
        line->setText(fromBytes(name));
        line->setData(Qt::UserRole, QByteArray(name.data(), static_cast<qsizetype>(name.size())));
    }
}

void CSearchDialog::deleteSearch() {
    const QSignalBlocker quiet(list_);
    const int row = list_->currentRow();
    QByteArray name;
    if (row >= 0) {
        QListWidgetItem* line = list_->takeItem(row);
        name = lineName(line);
        delete line;
    }
    list_->setCurrentRow(-1);
    searches_.removeSavedSearch(bytesOf(name));
}

void CSearchDialog::moveSearch(int step) {
    const int row = list_->currentRow();
    if (row < 0) return;
    const QByteArray name = lineName(list_->item(row));
    const int32_t target = moveFromDialog(searches_, row, list_->count(), bytesOf(name), step);
    if (target < 0) return;
    const QSignalBlocker quiet(list_);
    list_->insertItem(target, list_->takeItem(row));
    list_->setCurrentRow(target);
}

void CSearchDialog::selectSearch(int row) {
    if (row < 0 || row >= list_->count()) return;
    SearchForm f = form();
    const uint64_t now = systemFileTime();
    const CriterionView view =
        selectSavedSearch(searches_, row, bytesOf(lineName(list_->item(row))), now, f);
    setForm(f);
    showDateControls(view.controls);
}

void CSearchDialog::browseFolder() {
    const QString chosen = chooseFolder ? chooseFolder() : QString();
    folder_->setText(fromBytes(browsedFolderText(toBytes(chosen), toBytes(folder_->text()))));
}

void CSearchDialog::find() {
    SearchForm f = form();
    const FormResult result = startFind(f, searches_);
    if (stoppedWith(result)) return;
    name_->setText(fromBytes(f.name));
    foundPosition_ = result.position;
    accept();
}

void CSearchDialog::exitDialog() {
    if (stoppedWith(exitFromDialog(form(), pageColumns_))) return;
    reject();
}

void CSearchDialog::OpenSearchDialog(QWidget* parent, SavedSearchList& searches,
                                     int32_t& pageColumns, Prompt& prompt, bool openManaged,
                                     const std::function<void(int32_t)>& runSearch) {
    CSearchDialog dialog(searches, pageColumns, prompt, openManaged, parent);
    if (dialog.exec() != QDialog::Accepted) return;
    finishFind(searches, dialog.foundPosition(), runSearch);
}

}  // namespace varnel
