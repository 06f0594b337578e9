#include "cli/dumpformat.h"

#include <charconv>
#include <vector>

namespace varnel {

namespace {
int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool looksLikeEscape(std::string_view text, size_t at) {
    return at + 3 < text.size() && text[at + 1] == 'x' && hexValue(text[at + 2]) >= 0 &&
           hexValue(text[at + 3]) >= 0;
}

void appendHex(std::string& out, unsigned char c) {
    static const char digits[] = "0123456789ABCDEF";
    out += "\\x";
    out += digits[c >> 4];
    out += digits[c & 15];
}

template <class T>
bool parseNumber(std::string_view text, T& value) {
    if (text.empty()) return false;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}
}  // namespace

std::string escapeDumpField(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7F || (c == '\\' && looksLikeEscape(text, i)))
            appendHex(out, c);
        else
            out += static_cast<char>(c);
    }
    return out;
}

std::string unescapeDumpField(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && looksLikeEscape(text, i)) {
            out += static_cast<char>(hexValue(text[i + 2]) * 16 + hexValue(text[i + 3]));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string formatDumpLine(const DumpRecord& r) {
    return escapeDumpField(r.folder) + '\t' + escapeDumpField(r.name) + '\t' +
           escapeDumpField(r.note) + '\t' + std::to_string(r.time) + '\t' + std::to_string(r.size);
}

std::optional<DumpRecord> parseDumpLine(std::string_view line, std::string& why) {
    std::vector<std::string_view> fields;
    size_t start = 0;
    for (;;) {
        size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
        if (tab == std::string_view::npos) break;
        start = tab + 1;
    }
    if (fields.size() != 5) {
        why = "expected 5 tab-separated fields, found " + std::to_string(fields.size());
        return std::nullopt;
    }
    DumpRecord r;
    r.folder = unescapeDumpField(fields[0]);
    r.name = unescapeDumpField(fields[1]);
    r.note = unescapeDumpField(fields[2]);
    for (const std::string* text : {&r.folder, &r.name, &r.note}) {
        if (text->find('\0') != std::string::npos) {
            why = "a catalog text cannot hold the byte 0";
            return std::nullopt;
        }
    }
    if (!parseNumber(fields[3], r.time)) {
        why = "bad time \"" + std::string(fields[3]) + "\"";
        return std::nullopt;
    }
    if (!parseNumber(fields[4], r.size)) {
        why = "bad size \"" + std::string(fields[4]) + "\"";
        return std::nullopt;
    }
    return r;
}

}  // namespace varnel
