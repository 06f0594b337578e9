#include "fileops/selectiontext.h"

#include "catalog/identity.h"
#include "catalog/tables.h"
#include "fileops/fileopscontext.h"
#include "platform/paths.h"
#include "remote/ftpnames.h"

namespace varnel {

std::string CopyUrlsText(Catalog& catalog) {
    std::string text;
    for (int32_t i = 0; i < catalog.recordCount(kSelectionList); ++i) {
        if (i > 0) text += "\r\n";
        text += recordUrl(catalog.recordFolder(kSelectionList, i), catalog.recordName(kSelectionList, i));
    }
    return text;
}

std::vector<std::string> menuFiles(Catalog& catalog, bool& othersSkipped) {
    othersSkipped = false;
    std::vector<std::string> files;
    const int32_t count = catalog.recordCount(kSelectionList);
    if (count == 0) return files;
    const std::string folder = catalog.recordFolder(kSelectionList, 0);
    for (int32_t i = 0; i < count; ++i) {
        const char* recordFolder = catalog.recordFolder(kSelectionList, i);
        if (recordFolder[0] != '/' || !samePathText(recordFolder, folder)) {
            othersSkipped = true;
            continue;
        }
        const std::string path = folder + catalog.recordName(kSelectionList, i);
        if (pathExists(path)) files.push_back(path);
    }
    return files;
}

}  // namespace varnel
