#pragma once
// Readers of the folder listings FTP servers send: MLSD (machine-readable, UTC times) and
// LIST (meant for people; Unix "ls -l" style and DOS style). Both take the bytes as they
// came and never read outside them.
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/ftpclient.h"

namespace varnel {

struct ParsedListing {
    std::vector<FtpEntry> entries;
    // Lines that were not a listing entry and not a known preamble ("total 12"). Entries
    // naming "." or "..", or holding a "/" (which would address another file), are counted
    // here too.
    size_t rejectedLines = 0;
    // Whether the text reads as a listing at all: true when it is empty, or when at least
    // one line was understood.
    bool readable() const { return entries.size() > 0 || rejectedLines == 0; }
};

ParsedListing parseMlsdListing(std::string_view text);

// `now` (a file time) decides the year of the recent-file form "Dec 06 08:16": the latest
// year that does not put the time more than a day after `now`. Times without a zone are
// taken as UTC.
ParsedListing parseListListing(std::string_view text, uint64_t now);

// A calendar time (UTC) as a file time; 0 when a field is out of range.
uint64_t fileTimeFromCalendar(int year, int month, int day, int hour, int minute, int second);

}  // namespace varnel
