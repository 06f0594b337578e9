#include "gui/typedsearchbar.h"

#include <QApplication>
#include <QEvent>
#include <QLineEdit>

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
    connect(&fill_, &QTimer::timeout, this, &CTypedSearchBar::fillMore);
    qApp->installEventFilter(this);
}

namespace {

// Slices of a big search: short enough that a key or a scroll waits no longer than a frame.
constexpr std::chrono::milliseconds kFillSlice{12};

bool isUserAction(const QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::ContextMenu:
        case QEvent::Shortcut:
        case QEvent::Drop:
            return true;
        default:
            return false;
    }
}

}  // namespace

bool CTypedSearchBar::eventFilter(QObject* watched, QEvent* event) {
    // Typing goes on in the bar itself; anything else may act on the view, whole only.
    if (typing_.filling() && isUserAction(event) && !session_.services.catalogBusy() &&
        watched != &bar_ && watched != bar_.lineEdit()) {
        fill_.stop();
        typing_.finishFill();
        if (typing_.active()) view_.LayoutView();
    }
    return QObject::eventFilter(watched, event);
}

void CTypedSearchBar::fillMore() {
    // A scan owns the catalog: look again now and then (its merge changes the catalog, so the
    // search then starts over).
    if (session_.services.catalogBusy()) {
        fill_.start(kPauseMs);
        return;
    }
    if (fill_.interval() != fillGapMs_) fill_.start(fillGapMs_);
    const bool more = typing_.fillMore(kFillSlice);
    if (!more) fill_.stop();
    if (typing_.active()) view_.LayoutView();
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
    if (typing_.filling()) fill_.start(fillGapMs_);
}

}  // namespace varnel
