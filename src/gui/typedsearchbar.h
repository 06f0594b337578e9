#pragma once
// The address bar's search as you type: a short pause after the last key, then the view shows
// what the text finds (the old rows stay until the new ones are ready). Results of a big
// search keep coming between events; a click or key anywhere else first lets them all come,
// so that nothing acts on half a result. While a scan owns the catalog the search waits for
// it, and the window goes on.
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

    // How big a search is filled a slice at a time, and how long between slices (0: as soon
    // as no event waits).
    void setSlicing(int32_t atOnceUpTo, int gapMs) {
        typing_.setAtOnceUpTo(atOnceUpTo);
        fillGapMs_ = gapMs;
    }
    bool filling() const { return typing_.filling(); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void searchNow();
    void fillMore();

    AppSession& session_;
    CAddressBar& bar_;
    CMainView& view_;
    TypedSearch typing_;
    QTimer pause_;
    QTimer fill_;  // finds more results of a big search between events
    int fillGapMs_ = 0;
};

}  // namespace varnel
