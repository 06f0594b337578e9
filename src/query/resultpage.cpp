#include "query/resultpage.h"

#include <climits>
#include <fstream>
#include <iterator>
#include <vector>

#include "catalog/tables.h"
#include "platform/atomicfile.h"
#include "platform/prompt.h"
#include "query/savedsearch.h"
#include "query/search.h"

namespace varnel {

namespace {

constexpr size_t kTemplateLimit = 8192;

void replaceFirst(std::string& text, std::string_view what, std::string_view with) {
    size_t at = text.find(what);
    if (at != std::string::npos) text.replace(at, what.size(), with);
}

// Saved-search names are user text: they must not become markup.
std::string escapeHtml(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

// The template cut around its name line: head, the row (two lines before the name line, the
// name line, the line after, each with the break before it), the cell inside the row (the
// line before the name line and the name line), and the tail.
struct PageTemplate {
    std::string head, row, cell, tail;
    size_t cellInRow = 0;
};

bool cutTemplate(const std::string& text, PageTemplate& out) {
    const size_t name = text.find("New Folder");
    if (name == std::string::npos) return false;
    std::vector<size_t> lineStarts{0};
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n') lineStarts.push_back(i + 1);
    size_t line = 0;
    while (line + 1 < lineStarts.size() && lineStarts[line + 1] <= name) ++line;
    // Three lines before the name line, and a line after it that ends with a break.
    if (line < 3 || line + 2 >= lineStarts.size()) return false;
    const size_t rowBegin = lineStarts[line - 2] - 1, cellBegin = lineStarts[line - 1] - 1;
    const size_t cellEnd = lineStarts[line + 1] - 1, rowEnd = lineStarts[line + 2] - 1;
    out.head = text.substr(0, rowBegin);
    out.row = text.substr(rowBegin, rowEnd - rowBegin);
    out.cell = text.substr(cellBegin, cellEnd - cellBegin);
    out.tail = text.substr(rowEnd);
    out.cellInRow = cellBegin - rowBegin;
    return true;
}

}  // namespace

std::string searchPageTemplatePath(const std::string& resultPagePath) {
    std::string path = resultPagePath;
    size_t four = path.rfind('4');
    if (four != std::string::npos) path[four] = '2';
    return path;
}

bool regenerateSearchPage(const std::string& resultPagePath, const SavedSearchList& searches,
                          int32_t columns) {
    if (resultPagePath.empty()) return false;
    std::ifstream in(searchPageTemplatePath(resultPagePath), std::ios::binary);
    if (!in) return false;
    std::string text(kTemplateLimit, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(in.gcount()));
    PageTemplate page;
    if (!cutTemplate(text, page)) return false;
    if (columns < 1) columns = 1;

    std::string out = page.head, row;
    size_t insertAt = 0;
    const std::string width = std::to_string(100 / columns) + "%";
    for (int32_t i = 0; i < searches.count() || i % columns != 0; ++i) {
        if (i % columns == 0) {
            row = page.row;
            insertAt = page.cellInRow;
        }
        std::string cell = page.cell;
        replaceFirst(cell, "100%", width);
        replaceFirst(cell, "777", "murrel://" + std::to_string(i));
        replaceFirst(cell, "New Folder",
                     i < searches.count() ? escapeHtml(searches.savedSearchName(i)) : "");
        row.insert(insertAt, cell);
        insertAt += cell.size();
        if (i % columns == columns - 1) {
            row.erase(insertAt, page.cell.size());  // the row's own unfilled cell
            out += row;
        }
    }
    out += page.tail;
    return writeFileAtomically(resultPagePath, out).empty();
}

namespace {

// Reads the decimal number at the front of `text`; 0 digits when there is none.
size_t readNumber(std::string_view text, int64_t& number) {
    size_t digits = 0;
    number = 0;
    while (digits < text.size() && digits < 9 && text[digits] >= '0' && text[digits] <= '9')
        number = number * 10 + (text[digits++] - '0');
    return digits;
}

// A browser hands `murrel://3` on as `murrel://0.0.0.3`: it reads the number as an IPv4
// host. Four dotted parts are turned back into the number they came from.
bool readDottedNumber(std::string_view text, int64_t& number) {
    number = 0;
    for (int part = 0; part < 4; ++part) {
        int64_t value = 0;
        const size_t digits = readNumber(text, value);
        if (digits == 0 || digits > 3 || value > 255) return false;
        number = number * 256 + value;
        text.remove_prefix(digits);
        if (part < 3) {
            if (text.empty() || text[0] != '.') return false;
            text.remove_prefix(1);
        }
    }
    return text.empty() || text[0] == '/';
}

}  // namespace

ResultPageLink classifyResultPageLink(std::string_view url) {
    if (url.find("4.html") != std::string_view::npos) return {ResultPageLink::LoadPage};
    if (url.find("go.cgi") != std::string_view::npos) return {ResultPageLink::OpenSearchDialog};
    const size_t slashes = url.find("//");
    if (slashes == std::string_view::npos) return {};
    const std::string_view rest = url.substr(slashes + 2);
    int64_t number = 0;
    if (!readDottedNumber(rest, number) && readNumber(rest, number) == 0) return {};
    if (number > INT32_MAX) return {};
    return {ResultPageLink::RunSearch, static_cast<int32_t>(number)};
}

void onResultPageNavigate(std::string_view url, bool& cancel, Catalog& catalog,
                          CatalogSearch& search, Prompt& prompt,
                          const std::function<void()>& openSearchDialog) {
    const ResultPageLink link = classifyResultPageLink(url);
    cancel = link.kind != ResultPageLink::LoadPage;
    if (link.kind == ResultPageLink::OpenSearchDialog) {
        if (openSearchDialog) openSearchDialog();
    } else if (link.kind == ResultPageLink::RunSearch) {
        catalog.setRecordCount(kSelectionList, 0);
        if (catalog.recordCount(kMasterList) < 100)
            prompt.tell(
                "Your local search cach is NULL,Please Select Tools->Search File to add file to "
                "cach");
        search.runSavedSearch(link.search, -1);
    }
}

}  // namespace varnel
