#include "view/navigation.h"

#include "catalog/tables.h"
#include "platform/prompt.h"
#include "query/search.h"
#include "remote/ftpnames.h"
#include "view/page.h"

namespace varnel {

namespace {

void showNewList(AddressServices& s, const std::string& text) {
    const int list = s.catalog.allocTempList(0);
    s.search.patternFill(list, text.c_str());
    s.catalog.historyPush(list, text.c_str(), -1, -1, 0);
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
    // Without the folder tree a folder shows its own records, as its selection would.
    showNewList(s, text);
    showFileList(s);
}

}  // namespace varnel
