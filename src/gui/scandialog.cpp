#include "gui/scandialog.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "gui/dialogfolder.h"
#include "gui/guiprompt.h"

namespace varnel {

ScanOptionsDialog::ScanOptionsDialog(Prompt& prompt, QWidget* parent)
    : QDialog(parent), prompt_(prompt) {
    setWindowTitle(QString::fromLatin1(kScanOptionsTitle));
    auto* grid = new QGridLayout(this);
    folders_ = new QLineEdit(this);
    exclusions_ = new QLineEdit(this);
    folders_->setMinimumWidth(360);
    foldersButton_ = new QPushButton(QStringLiteral("..."), this);
    exclusionsButton_ = new QPushButton(QStringLiteral("..."), this);
    for (QPushButton* b : {foldersButton_, exclusionsButton_}) {
        b->setAutoDefault(false);
        b->setFixedWidth(32);
    }
    grid->addWidget(new QLabel(QStringLiteral("Search Folders:"), this), 0, 0);
    grid->addWidget(folders_, 0, 1);
    grid->addWidget(foldersButton_, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("exclude folders:"), this), 1, 0);
    grid->addWidget(exclusions_, 1, 1);
    grid->addWidget(exclusionsButton_, 1, 2);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    grid->addWidget(buttons, 2, 0, 1, 3);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(foldersButton_, &QPushButton::clicked, this, [this] { browse(folders_); });
    connect(exclusionsButton_, &QPushButton::clicked, this, [this] { browse(exclusions_); });

    chooseFolder = [this] {
        FolderChoice choice;
        const QString path =
            QFileDialog::getExistingDirectory(this, QString::fromLatin1(kFolderChooserTitle),
                                              CDialogFolder::start(), QFileDialog::ShowDirsOnly);
        CDialogFolder::remember(path);
        choice.chosen = !path.isEmpty();
        choice.hasPath = choice.chosen;
        choice.path = toBytes(path);
        return choice;
    };
}

void ScanOptionsDialog::browse(QLineEdit* field) {
    std::string text = toBytes(field->text());
    applyFolderChoice(chooseFolder(), text, prompt_);
    field->setText(fromBytes(text));
}

void ScanOptionsDialog::setForm(const ScanOptionsForm& form) {
    folders_->setText(fromBytes(form.folders));
    exclusions_->setText(fromBytes(form.exclusions));
}

ScanOptionsForm ScanOptionsDialog::form() const {
    return {toBytes(folders_->text()), toBytes(exclusions_->text())};
}

bool GuiScanDialogs::scanOptions(ScanOptionsForm& form) {
    ScanOptionsDialog dialog(prompt_, parent_);
    dialog.setForm(form);
    if (onOpen) onOpen(dialog);
    if (dialog.exec() != QDialog::Accepted) return false;
    form = dialog.form();
    return true;
}

}  // namespace varnel
