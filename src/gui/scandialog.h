#pragma once
// "Search folders for files": the folders to scan and the folders to leave out.
#include <QDialog>

#include "scan/scanoptions.h"

class QLineEdit;
class QPushButton;

namespace varnel {

class Prompt;

class ScanOptionsDialog : public QDialog {
    Q_OBJECT
  public:
    ScanOptionsDialog(Prompt& prompt, QWidget* parent);
    void setForm(const ScanOptionsForm& form);
    ScanOptionsForm form() const;

    QLineEdit* foldersEdit() const { return folders_; }
    QLineEdit* exclusionsEdit() const { return exclusions_; }
    QPushButton* foldersButton() const { return foldersButton_; }

    // The folder chooser; tests put their own in.
    std::function<FolderChoice()> chooseFolder;

  private:
    void browse(QLineEdit* field);

    Prompt& prompt_;
    QLineEdit* folders_;
    QLineEdit* exclusions_;
    QPushButton* foldersButton_;
    QPushButton* exclusionsButton_;
};

class GuiScanDialogs : public ScanDialogs {
  public:
    GuiScanDialogs(Prompt& prompt, QWidget* parent) : prompt_(prompt), parent_(parent) {}
    bool scanOptions(ScanOptionsForm& form) override;
    // Called with the dialog before it runs; tests fill and confirm it from here.
    std::function<void(ScanOptionsDialog&)> onOpen;

  private:
    Prompt& prompt_;
    QWidget* parent_;
};

}  // namespace varnel
