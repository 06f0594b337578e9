#pragma once
// The title of an HTML page, read from the head of the file for the Note column.
#include <cstddef>
#include <string>
#include <string_view>

namespace varnel {

// How much of a file's head is looked at for its title.
inline constexpr size_t kPageTitleScanBytes = 10239;
// Titles this long or longer are no titles: they are the text of a broken page.
inline constexpr size_t kPageTitleLimit = 2048;

// The text between the first "<TITLE>" and the next "</title>" (tags in any letter case) of
// `head`, with every markup tag removed; whitespace is kept as written. "" when there is no
// such pair within the first kPageTitleScanBytes bytes (or before a NUL byte), or when the
// text is kPageTitleLimit characters or longer.
std::string PageTitleOf(std::string_view head);

// The title of the HTML file at `path`; "" when it cannot be read or has none. Only regular
// files are read: a named pipe must not hold up the page.
std::string ReadPageTitle(const std::string& path);

}  // namespace varnel
