#pragma once
// The desktop's file association for catalog files: a shared-mime-info type for *.fdb, a
// .desktop entry that starts the program with the file as its only argument, and the icon,
// all under the user's data folder. Written on every start, so a moved program is found.
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

// Writes the files under `dataHome` (~/.local/share), with `pngIcons` as (size, PNG bytes)
// pairs and `svgIcon` (when not empty) as the scalable icon, and runs the desktop's database
// updaters that are installed. Returns false when a file could not be written; `why` says which.
bool registerFileType(const std::string& dataHome, const std::string& executable,
                      const std::vector<std::pair<int, std::string>>& pngIcons,
                      const std::string& svgIcon, std::string& why);

// $XDG_DATA_HOME, else $HOME/.local/share.
std::string userDataHome();
// The running program's own path.
std::string executablePath();

}  // namespace varnel
