#pragma once
// The result page: an HTML page listing the saved searches as links, made from the template
// 2.html beside it, and what its links do.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace varnel {

class Catalog;
class CatalogSearch;
class Prompt;
class SavedSearchList;

// The template beside `resultPagePath` (its last "4" turned into "2").
std::string searchPageTemplatePath(const std::string& resultPagePath);

// Rewrites the page with `columns` saved searches per row (0 counts as 1). Returns false and
// leaves the old page when the template is missing or unusable or the page cannot be written.
bool regenerateSearchPage(const std::string& resultPagePath, const SavedSearchList& searches,
                          int32_t columns);

// What a click on the page asks for.
struct ResultPageLink {
    enum Kind { LoadPage, OpenSearchDialog, RunSearch, Nothing } kind = Nothing;
    int32_t search = -1;  // for RunSearch
};
ResultPageLink classifyResultPageLink(std::string_view url);

// Called before the page pane navigates; sets `cancel` unless the page itself loads.
void onResultPageNavigate(std::string_view url, bool& cancel, Catalog& catalog,
                          CatalogSearch& search, Prompt& prompt,
                          const std::function<void()>& openSearchDialog);

}  // namespace varnel
