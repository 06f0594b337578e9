#pragma once
// The HTML view on Qt WebEngine: a profile of its own that keeps nothing on disk and lets no
// request leave the machine, a page that asks before every navigation, no scripts.
#include <memory>

#include "gui/htmlview.h"

namespace varnel {

std::unique_ptr<HtmlView> makeWebHtmlView(const HtmlViewOptions& options, QWidget* parent);

}  // namespace varnel
