#pragma once
// Where the file dialogs (Open, Save as, Import, Export, the folder chooser) start: the folder
// of what was last chosen in one of them, kept between runs, or the home folder.
#include <QString>

namespace varnel {

class CDialogFolder {
  public:
    static QString start();
    // A chosen file or folder; an empty choice (Cancel) changes nothing.
    static void remember(const QString& chosen);
};

}  // namespace varnel
