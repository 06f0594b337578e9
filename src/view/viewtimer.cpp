#include "view/viewtimer.h"

#include "view/page.h"

namespace varnel {

void ViewTimer::tick() {
    if (hooks_.pollDriveChanges) hooks_.pollDriveChanges();
    if (hooks_.syncMenuChecks && hooks_.syncMenuChecks() && hooks_.layout) hooks_.layout();

    if (page_.findName.size() == lastFindLength_) {
        if (++quietTicks_ > kFindNameQuietTicks) page_.findName.clear();
    } else {
        quietTicks_ = 0;
        lastFindLength_ = page_.findName.size();
    }

    // The catalog belongs to a scan worker meanwhile: the refreshes wait for their turn.
    const bool busy = page_.catalogHeld();
    if (++tickCounter_ >= kSlowRefreshTicks) {
        tickCounter_ = 0;
        if (slowRefreshCountdown >= 0 && !busy) {
            page_.RefreshPage(false);
            --slowRefreshCountdown;
        }
    }
    if (page_.refreshCountdown >= 0 && !busy) {
        page_.RefreshPage(true);
        --page_.refreshCountdown;
    }

    // The view mode is kept with the catalog.
    if (!busy && !page_.findName.empty() && hooks_.status &&
        (!hooks_.viewMode || hooks_.viewMode() == 1)) {
        const std::string text = "Find file name:" + page_.findName;
        if (text != shownFindName_) {
            shownFindName_ = text;
            hooks_.status(text);
        }
    } else {
        shownFindName_.clear();
    }
    if (hooks_.remoteProgress && !busy) hooks_.remoteProgress();
    if (hooks_.prepareSearch && !busy) hooks_.prepareSearch();
}

}  // namespace varnel
