#pragma once
// "search": what to look for (file types, folder, an age or a date range) with "Find", and
// below it, shown by "Save>>", the saved searches with add, Modify, delete, up, down and
// exit. The rules are query/searchform's; this class draws them and forwards the clicks.
#include <QDialog>
#include <cstdint>
#include <functional>

#include "query/searchform.h"

class QButtonGroup;
class QComboBox;
class QDateTimeEdit;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace varnel {

class Prompt;
class SavedSearchList;

class CSearchDialog : public QDialog {
    Q_OBJECT
  public:
    // `pageColumns` is the result page's column count, which "exit" sets. With `openManaged`
    // the saved searches are shown from the start.
    CSearchDialog(SavedSearchList& searches, int32_t& pageColumns, Prompt& prompt, bool openManaged,
                  QWidget* parent);

    // Runs the dialog modally. Closed with "Find", it runs the search through `runSearch`,
    // given the position of the temporary saved search that holds the criteria, and then
    // removes that saved search.
    static void OpenSearchDialog(QWidget* parent, SavedSearchList& searches, int32_t& pageColumns,
                                 Prompt& prompt, bool openManaged,
                                 const std::function<void(int32_t)>& runSearch);

    // Where "Find" put its temporary saved search; -1 unless the dialog closed with "Find".
    int32_t foundPosition() const { return foundPosition_; }

    SearchForm form() const;

    // The folder chooser of "...": the chosen folder, or empty when cancelled. Tests put
    // their own in.
    std::function<QString()> chooseFolder;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildCriteria();
    void buildManaged();
    void setForm(const SearchForm& form);
    void showDateControls(const DateControls& controls);
    void showCriterion(const CriterionView& view);
    // Tells the user why an operation stopped; true when it did.
    bool stoppedWith(const FormResult& result);

    void toggleManage();
    void addSearch();
    void modifySearch();
    void deleteSearch();
    void moveSearch(int step);
    void selectSearch(int row);
    void browseFolder();
    void find();
    void exitDialog();

    SavedSearchList& searches_;
    int32_t& pageColumns_;
    Prompt& prompt_;
    int32_t foundPosition_ = -1;
    int rememberedHeight_ = kManagedHeight;

    QComboBox* patterns_;
    QLineEdit* folder_;
    QRadioButton* dayRadio_;
    QRadioButton* monthRadio_;
    QRadioButton* rangeRadio_;
    QButtonGroup* dateGroup_;
    QLineEdit* dayCount_;
    QLineEdit* monthCount_;
    QDateTimeEdit* start_;
    QDateTimeEdit* end_;
    QPushButton* manage_;
    QLineEdit* name_;
    QListWidget* list_;
    QLineEdit* columns_;
};

}  // namespace varnel
