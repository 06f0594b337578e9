#pragma once
// The HTML view on a QTextBrowser, for when Qt WebEngine cannot start: simple pages, local
// files only, no scripts, no PDFs.
#include <memory>

#include "gui/htmlview.h"

namespace varnel {

std::unique_ptr<HtmlView> makeTextHtmlView(const HtmlViewOptions& options, QWidget* parent);

}  // namespace varnel
