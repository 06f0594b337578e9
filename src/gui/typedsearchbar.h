#pragma once
// The address bar's search as you type: a short pause after the last key, then the view shows
// what the text finds (the old rows stay until the new ones are ready). While a scan owns the
// catalog the search waits for it, and the window goes on.
#include <QObject>
#include <QTimer>

#include "view/typedsearch.h"

namespace varnel {

class AppSession;
class CAddressBar;
class CMainView;

class CTypedSearchBar : public QObject {
    Q_OBJECT
  public:
    CTypedSearchBar(AppSession& session, CAddressBar& bar, CMainView& view, QObject* parent);

    // Return: the typed view gives way, so the address goes in as one Back step.
    void leaveTypedView();
    // Whether the bar holds a search being typed: one waiting for its pause, or shown.
    bool typing() const { return pause_.isActive() || typing_.active(); }

    static constexpr int kPauseMs = 150;

  private:
    void searchNow();

    AppSession& session_;
    CAddressBar& bar_;
    CMainView& view_;
    TypedSearch typing_;
    QTimer pause_;
};

}  // namespace varnel
