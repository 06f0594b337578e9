#pragma once
// The desktop's file association for catalog files: a shared-mime-info type for *.fdb, a
// .desktop entry that starts the program with the file as its only argument, and the icon,
// all under the user's data folder. Checked on every start, so a moved program is found; a
// start that finds everything in place writes nothing and runs no helper.
#include <functional>
#include <string>
#include <vector>

namespace varnel {

inline constexpr char kCatalogMimeType[] = "application/x-varnel-catalog";

struct AssociationFiles {
    std::string mimePackage;   // mime/packages/varnel.xml
    std::string desktopEntry;  // applications/varnel.desktop
    std::vector<std::string> icons;
};

// The texts themselves, for the program at `executable`.
std::string mimePackageText();
std::string desktopEntryText(const std::string& executable);

// The sizes of the PNG icons, and what draws one (PNG bytes): asked only for a missing icon.
inline constexpr int kIconSizes[] = {16, 32, 48, 64, 128, 256};
using IconPainter = std::function<std::string(int size)>;

// Brings the files under `dataHome` (~/.local/share) up to date: the type, the entry for the
// program at `executable`, the PNG icons and `svgIcon` (when not empty) as the scalable one.
// Files already holding the right bytes are left alone, and the desktop's database updaters
// that are installed run only for what changed. `force` rewrites everything and runs every
// updater. Returns false when a file could not be written; `why` says which.
bool registerFileType(const std::string& dataHome, const std::string& executable,
                      const IconPainter& pngIcon, const std::string& svgIcon, bool force,
                      std::string& why);

// $XDG_DATA_HOME, else $HOME/.local/share.
std::string userDataHome();
// The running program's own path.
std::string executablePath();

}  // namespace varnel
