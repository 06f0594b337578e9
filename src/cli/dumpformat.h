#pragma once
// The one-record-per-line text form of a catalog: folder, name, note, time and size separated
// by tabs. Control bytes are written as \xHH so every line stays one line, and a backslash
// that would read as such an escape is escaped itself; everything else stands as it is, so
// paths like C:\Music\ stay readable.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace varnel {

struct DumpRecord {
    std::string folder, name, note;
    uint64_t time = 0;
    uint32_t size = 0;
};

std::string escapeDumpField(std::string_view text);
// Decodes every \xHH; other backslashes stand for themselves.
std::string unescapeDumpField(std::string_view text);

std::string formatDumpLine(const DumpRecord& record);
// Parses one line (without its newline); on failure returns nullopt and says why.
std::optional<DumpRecord> parseDumpLine(std::string_view line, std::string& why);

}  // namespace varnel
