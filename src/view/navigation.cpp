#include "view/navigation.h"

#include "catalog/tables.h"
#include "platform/prompt.h"
#include "query/search.h"
#include "remote/ftpnames.h"
#include "platform/paths.h"
#include "view/page.h"
#include "view/viewrecipe.h"

namespace varnel {

namespace {

void showNewList(AddressServices& s, const std::string& text) {
    const int list = s.catalog.allocTempList(0);
    s.search.patternFill(list, text.c_str());
    pushView(s.catalog, list, text.c_str(), -1, -1, 0);
}

// A local folder goes through the tree when the disk has it, or when the catalog does not
// (the tree then names it in "Folder not found"). A folder only the catalog knows, from a
// disk not mounted now, is shown from the catalog: browsing offline is what it is for.
bool selectInTree(AddressServices& s, const std::string& text) {
    if (!s.selectFolder || text.front() != '/') return false;
    if (!isFolder(text)) {
        const int probe = s.catalog.reserveTempList();
        s.search.patternFill(probe, text.c_str());
        const bool known = s.catalog.recordCount(probe) > 0;
        s.catalog.releaseTempList(probe);
        if (known) return false;
    }
    s.selectFolder(text);
    return true;
}

void showFileList(AddressServices& s) {
    s.catalog.page().viewMode = 1;
    s.page.clearSelection();
    if (s.layout) s.layout();
}

}  // namespace

void goToAddress(AddressServices& s, const std::string& typed) {
    if (typed.empty() || typed.size() >= kTextSize) return;
    // "ftp://host" names the site's root folder, which the catalog spells with its separator.
    std::string text = typed;
    if (IsFtpFolderName(text.c_str()) && text.back() != '\\' && text.size() + 1 < kTextSize)
        text += '\\';
    if (!IsFolderName(text.c_str())) {
        showNewList(s, text);
        showFileList(s);
        if (s.slowRefreshCountdown) *s.slowRefreshCountdown = 3;
        return;
    }
    if (IsFtpName(text.c_str()) && s.remoteLogin && !s.remoteLogin(text)) {
        s.prompt.tell("Login first, please retry");
        return;
    }
    if (IsFtpFolderName(text.c_str()) && s.refreshFtpFolder) s.refreshFtpFolder(text);
    if (selectInTree(s, text)) return;
    showNewList(s, text);
    showFileList(s);
}

}  // namespace varnel
