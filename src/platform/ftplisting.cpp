#include "platform/ftplisting.h"

#include <array>
#include <optional>

#include "platform/filetime.h"

namespace varnel {

namespace {

constexpr int64_t kSecondsPerDay = 86400;
constexpr size_t kMaxUniqueFact = 255;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

// A decimal number of at most `maxDigits` digits, within 64 bits, and nothing else.
std::optional<uint64_t> parseNumber(std::string_view text, size_t maxDigits = 20) {
    if (text.empty() || text.size() > maxDigits) return std::nullopt;
    uint64_t value = 0;
    for (char c : text) {
        if (!isDigit(c)) return std::nullopt;
        const auto digit = static_cast<uint64_t>(c - '0');
        if (value > (UINT64_MAX - digit) / 10) return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

bool isLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

// Days from 1970-01-01 to the given date (proleptic Gregorian calendar).
int64_t daysFromCivil(int64_t year, int64_t month, int64_t day) {
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

int yearOfFileTime(uint64_t fileTime) {
    int64_t days = static_cast<int64_t>(fileTime / 10000000 / kSecondsPerDay);  // since 1601
    int year = 1601;
    while (true) {
        int length = isLeapYear(year) ? 366 : 365;
        if (days < length) return year;
        days -= length;
        ++year;
    }
}

// The name of an entry, if it names a file in this folder and nothing else. A "\" is an
// ordinary byte of a name on the server; whether the catalog can hold it is decided later.
bool acceptableName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    return name.find_first_of(std::string_view("/\0", 2)) == std::string_view::npos;
}

// Calls `line` for each line of `text`, without its CR LF.
template <class Fn>
void forEachLine(std::string_view text, Fn&& line) {
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view current = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!current.empty() && current.back() == '\r') current.remove_suffix(1);
        line(current);
    }
}

// "20261206081600" or "20261206081600.123": UTC.
std::optional<uint64_t> parseMlsdTime(std::string_view text) {
    if (text.size() < 14) return std::nullopt;
    auto field = [&](size_t at, size_t n) { return parseNumber(text.substr(at, n), n); };
    auto year = field(0, 4), month = field(4, 2), day = field(6, 2);
    auto hour = field(8, 2), minute = field(10, 2), second = field(12, 2);
    if (!year || !month || !day || !hour || !minute || !second) return std::nullopt;
    uint64_t time = fileTimeFromCalendar(int(*year), int(*month), int(*day), int(*hour),
                                         int(*minute), int(*second));
    if (time == 0) return std::nullopt;
    if (text.size() > 14) {
        std::string_view fraction = text.substr(15);
        if (text[14] != '.' || fraction.empty()) return std::nullopt;
        uint64_t units = 0;
        for (size_t i = 0; i < 7; ++i) {
            if (i < fraction.size() && !isDigit(fraction[i])) return std::nullopt;
            units =
                units * 10 + (i < fraction.size() ? static_cast<uint64_t>(fraction[i] - '0') : 0);
        }
        time += units;
    }
    return time;
}

bool parseMlsdLine(std::string_view line, ParsedListing& out) {
    size_t space = line.find(' ');
    if (space == std::string_view::npos) return false;
    std::string_view facts = line.substr(0, space);
    FtpEntry entry;
    entry.name = std::string(line.substr(space + 1));
    bool skip = false;
    while (!facts.empty()) {
        size_t end = facts.find(';');
        std::string_view fact = facts.substr(0, end);
        facts = end == std::string_view::npos ? std::string_view() : facts.substr(end + 1);
        size_t equals = fact.find('=');
        if (equals == std::string_view::npos) {
            if (fact.empty()) continue;
            return false;
        }
        std::string_view key = fact.substr(0, equals), value = fact.substr(equals + 1);
        if (equalsIgnoringCase(key, "type")) {
            if (equalsIgnoringCase(value, "cdir") || equalsIgnoringCase(value, "pdir")) skip = true;
            entry.isFolder = equalsIgnoringCase(value, "dir");
        } else if (equalsIgnoringCase(key, "size") || equalsIgnoringCase(key, "sizd")) {
            auto size = parseNumber(value);
            if (!size) return false;
            entry.size = *size;
        } else if (equalsIgnoringCase(key, "modify")) {
            auto time = parseMlsdTime(value);
            if (!time) return false;
            entry.lastWriteTime = *time;
        } else if (equalsIgnoringCase(key, "unique")) {
            // One cut short could match another folder's; such a fact is not used at all.
            if (value.size() <= kMaxUniqueFact) entry.unique = std::string(value);
        }
    }
    if (skip) return true;  // the folder itself or its parent
    if (!acceptableName(entry.name)) return false;
    out.entries.push_back(std::move(entry));
    return true;
}

// Blank-separated words of a line, with where each starts and ends.
struct Word {
    std::string_view text;
    size_t end;
};

std::vector<Word> splitWords(std::string_view line, size_t maxWords) {
    std::vector<Word> words;
    size_t i = 0;
    while (i < line.size() && words.size() < maxWords) {
        while (i < line.size() && line[i] == ' ') ++i;
        if (i == line.size()) break;
        size_t start = i;
        while (i < line.size() && line[i] != ' ') ++i;
        words.push_back({line.substr(start, i - start), i});
    }
    return words;
}

int monthNumber(std::string_view word) {
    static constexpr std::array<std::string_view, 12> kMonths = {
        "jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"};
    for (size_t i = 0; i < kMonths.size(); ++i)
        if (equalsIgnoringCase(word, kMonths[i])) return static_cast<int>(i) + 1;
    return 0;
}

// "08:16" into hour and minute.
bool parseClock(std::string_view text, int& hour, int& minute) {
    if (text.size() != 5 || text[2] != ':') return false;
    auto h = parseNumber(text.substr(0, 2), 2), m = parseNumber(text.substr(3, 2), 2);
    if (!h || !m) return false;
    hour = int(*h);
    minute = int(*m);
    return true;
}

// "-rw-r--r--   1 owner group  1234 Dec 06 08:16 name" and "... Mar 04  2019 name"; the
// group may be missing.
bool parseUnixLine(std::string_view line, uint64_t now, ParsedListing& out) {
    std::vector<Word> words = splitWords(line, 12);
    if (words.size() < 6 || words[0].text.size() < 10) return false;
    const char type = words[0].text[0];
    for (size_t m = 3; m + 2 < words.size(); ++m) {
        const int month = monthNumber(words[m].text);
        if (month == 0) continue;
        auto day = parseNumber(words[m + 1].text, 2);
        auto size = parseNumber(words[m - 1].text);
        if (!day || !size) continue;
        std::string_view when = words[m + 2].text;
        int hour = 0, minute = 0, year = 0;
        if (parseClock(when, hour, minute)) {
            year = yearOfFileTime(now);
            uint64_t time = fileTimeFromCalendar(year, month, int(*day), hour, minute, 0);
            if (time > now + uint64_t(kSecondsPerDay) * 10000000) --year;
        } else if (auto y = parseNumber(when, 4); y && when.size() == 4) {
            year = int(*y);
        } else {
            continue;
        }
        FtpEntry entry;
        entry.lastWriteTime = fileTimeFromCalendar(year, month, int(*day), hour, minute, 0);
        if (entry.lastWriteTime == 0) return false;
        // Exactly one blank stands before the name; further blanks belong to it.
        const size_t nameStart = words[m + 2].end + 1;
        if (nameStart >= line.size()) return false;
        std::string_view name = line.substr(nameStart);
        if (type == 'l') {
            const size_t arrow = name.find(" -> ");
            if (arrow != std::string_view::npos) entry.linkTarget = std::string(name.substr(arrow + 4));
            name = name.substr(0, arrow);
        }
        entry.name = std::string(name);
        entry.isFolder = type == 'd';
        entry.isLink = type == 'l';
        entry.size = *size;
        if (!acceptableName(entry.name)) return false;
        out.entries.push_back(std::move(entry));
        return true;
    }
    return false;
}

// "12-06-26  08:16AM       <DIR>          name" and "12-06-2026  08:16PM   1234 name".
bool parseDosLine(std::string_view line, ParsedListing& out) {
    std::vector<Word> words = splitWords(line, 3);
    if (words.size() < 3) return false;
    std::string_view date = words[0].text, clock = words[1].text;
    if ((date.size() != 8 && date.size() != 10) || date[2] != '-' || date[5] != '-') return false;
    auto month = parseNumber(date.substr(0, 2), 2), day = parseNumber(date.substr(3, 2), 2);
    auto year = parseNumber(date.substr(6), 4);
    if (!month || !day || !year) return false;
    int fullYear = int(*year);
    if (date.size() == 8) fullYear += fullYear < 70 ? 2000 : 1900;
    int hour = 0, minute = 0;
    if (clock.size() == 7) {
        std::string_view half = clock.substr(5);
        if (!parseClock(clock.substr(0, 5), hour, minute) || hour < 1 || hour > 12) return false;
        if (equalsIgnoringCase(half, "AM"))
            hour %= 12;
        else if (equalsIgnoringCase(half, "PM"))
            hour = hour % 12 + 12;
        else
            return false;
    } else if (!parseClock(clock, hour, minute)) {
        return false;
    }
    FtpEntry entry;
    entry.lastWriteTime = fileTimeFromCalendar(fullYear, int(*month), int(*day), hour, minute, 0);
    if (entry.lastWriteTime == 0) return false;
    std::string_view kind = words[2].text;
    if (equalsIgnoringCase(kind, "<DIR>")) {
        entry.isFolder = true;
    } else if (auto size = parseNumber(kind, 19)) {
        entry.size = *size;
    } else {
        return false;
    }
    size_t nameStart = words[2].end;
    while (nameStart < line.size() && line[nameStart] == ' ') ++nameStart;
    entry.name = std::string(line.substr(nameStart));
    if (!acceptableName(entry.name)) return false;
    out.entries.push_back(std::move(entry));
    return true;
}

}  // namespace

uint64_t fileTimeFromCalendar(int year, int month, int day, int hour, int minute, int second) {
    if (year < 1601 || year > 30827 || month < 1 || month > 12 || day < 1 ||
        day > daysInMonth(year, month) || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
        second < 0 || second > 60)
        return 0;
    if (second == 60) second = 59;  // a leap second
    const int64_t seconds =
        daysFromCivil(year, month, day) * kSecondsPerDay + hour * 3600 + minute * 60 + second;
    return static_cast<uint64_t>(static_cast<int64_t>(kUnixEpochAsFileTime) + seconds * 10000000);
}

ParsedListing parseMlsdListing(std::string_view text) {
    ParsedListing out;
    forEachLine(text, [&](std::string_view line) {
        if (line.empty()) return;
        if (!parseMlsdLine(line, out)) ++out.rejectedLines;
    });
    return out;
}

ParsedListing parseListListing(std::string_view text, uint64_t now) {
    ParsedListing out;
    forEachLine(text, [&](std::string_view line) {
        if (line.empty()) return;
        if (line.size() >= 6 && equalsIgnoringCase(line.substr(0, 6), "total ")) return;
        bool ok = isDigit(line[0]) ? parseDosLine(line, out) : parseUnixLine(line, now, out);
        if (!ok) ++out.rejectedLines;
    });
    return out;
}

}  // namespace varnel
