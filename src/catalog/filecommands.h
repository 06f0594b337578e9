#pragma once
// The File menu's catalog commands: New, Open, Save as, Close, Import, Export and the
// recent catalogs.
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace varnel {

class Catalog;
class CatalogDatabase;
class Prompt;
class Workspace;

class CatalogFileCommands {
  public:
    CatalogFileCommands(Catalog& catalog, CatalogDatabase& database, Prompt& prompt,
                        Workspace& workspace);

    void newCatalog();
    void openCatalogDialog();
    void saveCatalogAs();
    void closeCatalog();
    void importCatalog();
    // Writes the open catalog's FTP sites into the chosen catalog file; false (after telling
    // why) when nothing was written.
    bool exportCatalog();
    void loadRecentCatalog(int k);
    void addRecentCatalog(const std::string& path);
    // The recent catalog files, newest first.
    std::vector<std::string> recentCatalogs() const;

    // The window's part: rebuild the recent-file menu; show the file list laid out anew.
    std::function<void()> rebuildRecentMenu;
    std::function<void()> showAllFiles;

  private:
    // The save question; false when the command should stop (Cancel).
    bool saveFirst();
    // Opens a catalog (the default one for null) and shows all its files.
    void openAndShowAll(const char* path);
    std::optional<std::string> askForCatalog(bool save);

    Catalog& catalog_;
    CatalogDatabase& database_;
    Prompt& prompt_;
    Workspace& workspace_;
};

}  // namespace varnel
