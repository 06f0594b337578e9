#include "gui/typedsearchbar.h"

#include "app/session.h"
#include "gui/addressbar.h"
#include "gui/guiprompt.h"
#include "gui/mainview.h"

namespace varnel {

CTypedSearchBar::CTypedSearchBar(AppSession& session, CAddressBar& bar, CMainView& view,
                                 QObject* parent)
    : QObject(parent), session_(session), bar_(bar), view_(view),
      typing_(session.catalog, session.search) {
    pause_.setSingleShot(true);
    pause_.setInterval(kPauseMs);
    connect(&pause_, &QTimer::timeout, this, &CTypedSearchBar::searchNow);
    connect(&bar_, &CAddressBar::typed, this, [this] { pause_.start(); });
    connect(&bar_, &CAddressBar::escaped, this, [this] {
        pause_.stop();
        if (typing_.cancel()) view_.setViewMode(1);
    });
}

void CTypedSearchBar::leaveTypedView() {
    pause_.stop();
    typing_.cancel();
}

void CTypedSearchBar::searchNow() {
    // The catalog belongs to a scan worker until it ends: ask again after the next pause.
    if (session_.services.catalogBusy()) {
        pause_.start();
        return;
    }
    if (!typing_.show(toBytes(bar_.currentText()))) return;
    view_.page().clearSelection();
    view_.setViewMode(1);  // lays the list out again and refreshes the page
}

}  // namespace varnel
