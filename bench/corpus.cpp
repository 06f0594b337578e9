#include "corpus.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <ctime>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "platform/filetime.h"
#include "rng.h"

namespace varnel::bench {

namespace {

// FNV-1a over a stream of fields; each text ends with its NUL so "ab"+"c" differs from "a"+"bc".
class Checksum {
  public:
    void bytes(const void* data, size_t size) {
        const auto* p = static_cast<const unsigned char*>(data);
        for (size_t k = 0; k < size; ++k) hash_ = (hash_ ^ p[k]) * 0x100000001b3ULL;
    }
    void text(const char* s) { bytes(s, std::strlen(s) + 1); }
    void u64(uint64_t v) { bytes(&v, sizeof v); }
    void u32(uint32_t v) { bytes(&v, sizeof v); }
    uint64_t value() const { return hash_; }

  private:
    uint64_t hash_ = 0xcbf29ce484222325ULL;
};

constexpr std::array<std::string_view, 40> kWords = {
    "Blue",     "River",  "Night",  "Silver",  "Echo",   "Glass",    "Paper",   "Stone",
    "North",    "Summer", "Winter", "Golden",  "Quiet",  "Electric", "Velvet",  "Broken",
    "Hidden",   "Wild",   "Lonely", "Crystal", "Shadow", "Morning",  "Ocean",   "Fire",
    "Garden",   "City",   "Dream",  "Light",   "Road",   "Heart",    "Machine", "Island",
    "Mountain", "Signal", "Orbit",  "Harbor",  "Falcon", "Maple",    "Copper",  "Lantern"};
// Names beyond ASCII, as they turn up in music and document collections.
constexpr std::array<std::string_view, 15> kWideWords = {
    "Café",   "Björk", "Motörhead", "Sigur Rós", "Dvořák",       "Señorita", "Naïve", "Ærøskøbing",
    "Москва", "東京",  "Ελλάδα",    "Zürich",    "Crème Brûlée", "Łódź",     "Straße"};
constexpr std::array<std::string_view, 20> kCodeDirs = {
    "src",     "include", "lib", "tests",  "docs",    "tools", "core",   "net",      "ui",  "util",
    "drivers", "arch",    "fs",  "kernel", "scripts", "build", "vendor", "internal", "cmd", "pkg"};
constexpr std::array<std::string_view, 10> kDocAreas = {
    "Taxes",   "Work",   "Letters",  "Invoices", "Manuals",
    "Recipes", "School", "Projects", "Travel",   "Bank Statements"};
constexpr std::array<std::string_view, 8> kWebSections = {"blog", "assets", "images", "css",
                                                          "js",   "docs",   "news",   "about"};
constexpr std::array<std::string_view, 8> kNotes = {
    "backup copy", "from old laptop", "checked 2019",    "do not delete", "original",
    "keep",        "sent to printer", "work in progress"};

constexpr int64_t kFirstSecond = 1420070400;  // 2015-01-01 00:00:00 UTC
constexpr int64_t kSpanSeconds = 315576000;   // ten years
constexpr uint64_t kMiB = 1024 * 1024;
constexpr uint64_t kMaxStoredSize = 0xFFFFFFFFULL;

std::string lowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(foldCase(static_cast<unsigned char>(c)));
    return out;
}

std::string withNumber(std::string_view text, uint64_t n, int width = 0) {
    char digits[24];
    std::snprintf(digits, sizeof digits, "%0*llu", width, static_cast<unsigned long long>(n));
    return std::string(text) + digits;
}

// One folder being filled: its kind, its path and what its files look like.
enum class Kind { Music, Photos, Source, Documents, Web, Videos, Downloads, PackageDocs };

struct FileDraft {
    std::string name;
    uint64_t size = 0;
};

class Generator {
  public:
    Generator(Catalog& catalog, uint64_t seed) : catalog_(catalog), rng_(seed) {}

    CorpusStats run(int32_t count) {
        CorpusStats stats;
        const int32_t folders = std::max<int32_t>(1, count / 20);
        int32_t remaining = count;
        for (int32_t f = 0; f < folders && remaining > 0; ++f) {
            const int32_t foldersLeft = folders - f;
            int32_t files = remaining;
            if (foldersLeft > 1) {
                const int32_t average = std::max<int32_t>(1, remaining / foldersLeft);
                files =
                    static_cast<int32_t>(rng_.between(1, 2 * static_cast<uint64_t>(average) - 1));
                files = std::min(files, remaining - (foldersLeft - 1));
                files = std::max(files, 1);
            }
            fillFolder(files, stats);
            remaining -= files;
        }
        catalog_.bumpGeneration();
        stats.records = catalog_.recordCount(kMasterList);
        stats.folders = static_cast<int32_t>(folderSeen_.size());
        stats.checksum = checksum_.value();
        return stats;
    }

  private:
    std::string word() {
        if (rng_.chance(4)) return std::string(rng_.pick(kWideWords));
        return std::string(rng_.pick(kWords));
    }
    std::string words(int n, char separator = ' ') {
        std::string out = word();
        for (int k = 1; k < n; ++k) out += separator + word();
        return out;
    }
    std::string lowerWords(int n, char separator) { return lowerAscii(words(n, separator)); }

    std::string folderPath(Kind kind, int64_t second) {
        std::tm date{};
        time_t t = static_cast<time_t>(second);
        gmtime_r(&t, &date);
        const int year = date.tm_year + 1900;
        switch (kind) {
            case Kind::Music:
                return "/home/user/Music/" + withNumber(word() + " ", rng_.between(1, 3000)) + "/" +
                       withNumber(words(2) + " ", rng_.between(1, 9)) + "/";
            case Kind::Photos: {
                char day[48];
                std::snprintf(day, sizeof day, "%04d-%02d-%02d ", year, date.tm_mon + 1,
                              date.tm_mday);
                return "/home/user/Pictures/" + withNumber("", static_cast<uint64_t>(year)) + "/" +
                       day + word() + "/";
            }
            case Kind::Source: {
                std::string path = "/home/user/src/" + lowerWords(2, '-') + "/";
                for (uint64_t depth = rng_.below(4); depth > 0; --depth)
                    path += std::string(rng_.pick(kCodeDirs)) + "/";
                return path;
            }
            case Kind::Documents:
                return "/home/user/Documents/" + std::string(rng_.pick(kDocAreas)) + "/" +
                       withNumber("", static_cast<uint64_t>(year)) + "/" + words(2) + "/";
            case Kind::Web:
                return "/var/www/" + lowerWords(2, '-') + ".org/" +
                       std::string(rng_.pick(kWebSections)) + "/" + lowerWords(1, '-') + "/";
            case Kind::Videos:
                return "/media/backup/Videos/" + words(2) + "/" +
                       withNumber("Season ", rng_.between(1, 8)) + "/";
            case Kind::Downloads:
                return "/home/user/Downloads/" + words(1) + "/";
            case Kind::PackageDocs:
                return "/usr/share/doc/" +
                       withNumber(lowerWords(1, '-') + "-", rng_.between(1, 400)) + "/";
        }
        return "/";
    }

    Kind pickKind() {
        const uint64_t r = rng_.below(100);
        if (r < 25) return Kind::Music;
        if (r < 45) return Kind::Photos;
        if (r < 70) return Kind::Source;
        if (r < 82) return Kind::Documents;
        if (r < 90) return Kind::Web;
        if (r < 94) return Kind::Videos;
        if (r < 96) return Kind::Downloads;
        return Kind::PackageDocs;
    }

    uint64_t megabytes(uint64_t lo, uint64_t hi) { return rng_.between(lo * kMiB, hi * kMiB); }

    FileDraft draftFile(Kind kind, int ordinal, int64_t second) {
        std::tm date{};
        time_t t = static_cast<time_t>(second);
        gmtime_r(&t, &date);
        char text[96];
        switch (kind) {
            case Kind::Music:
                if (rng_.chance(8)) return {"cover.jpg", rng_.between(40000, 900000)};
                if (rng_.chance(3)) return {"desktop.ini", rng_.between(60, 400)};
                if (rng_.chance(20)) {
                    std::snprintf(text, sizeof text, "%02d - ", ordinal + 1);
                    return {text + words(2) + ".flac", megabytes(18, 60)};
                }
                std::snprintf(text, sizeof text, "%02d - ", ordinal + 1);
                return {text + words(static_cast<int>(rng_.between(1, 3))) + ".mp3",
                        megabytes(2, 12)};
            case Kind::Photos:
                if (rng_.chance(3)) return {"Thumbs.db", rng_.between(8192, 2 * kMiB)};
                if (rng_.chance(4)) {  // camera videos, a few of them past 2 GiB
                    std::snprintf(text, sizeof text, "VID_%04d%02d%02d_%02d%02d%02d.MOV",
                                  date.tm_year + 1900, date.tm_mon + 1, date.tm_mday, date.tm_hour,
                                  date.tm_min, static_cast<int>(rng_.below(60)));
                    return {text, megabytes(40, 3500)};
                }
                if (rng_.chance(30)) {
                    std::snprintf(text, sizeof text, "DSC%05d.%s",
                                  static_cast<int>(rng_.below(100000)),
                                  rng_.chance(30) ? "CR2" : "JPG");
                    return {text, megabytes(2, 28)};
                }
                std::snprintf(text, sizeof text, "IMG_%04d%02d%02d_%02d%02d%02d.jpg",
                              date.tm_year + 1900, date.tm_mon + 1, date.tm_mday, date.tm_hour,
                              date.tm_min, static_cast<int>(rng_.below(60)));
                return {text, megabytes(1, 9)};
            case Kind::Source: {
                static constexpr std::array<std::string_view, 10> kCommon = {
                    "Makefile",    "README.md", "CMakeLists.txt", "LICENSE",  ".gitignore",
                    "__init__.py", "index.js",  "index.html",     "config.h", "main.c"};
                if (rng_.chance(15)) {
                    std::string_view name = rng_.pick(kCommon);
                    return {std::string(name), name == "__init__.py" ? 0 : rng_.between(40, 30000)};
                }
                static constexpr std::array<std::string_view, 9> kExt = {
                    ".c", ".h", ".cpp", ".hpp", ".py", ".rs", ".go", ".js", ".ts"};
                std::string name = lowerWords(static_cast<int>(rng_.between(1, 3)), '_');
                if (rng_.chance(20)) name = withNumber(name + "_", rng_.below(100));
                return {name + std::string(rng_.pick(kExt)),
                        rng_.chance(2) ? 0 : rng_.between(120, 90000)};
            }
            case Kind::Documents: {
                static constexpr std::array<std::string_view, 7> kExt = {
                    ".pdf", ".docx", ".xlsx", ".odt", ".txt", ".pptx", ".pdf"};
                if (rng_.chance(15))
                    return {withNumber("Invoice ", rng_.between(1000, 99999)) + ".pdf",
                            rng_.between(20000, 400000)};
                if (rng_.chance(10)) {
                    std::snprintf(text, sizeof text, "Scan %04d-%02d-%02d.pdf", date.tm_year + 1900,
                                  date.tm_mon + 1, date.tm_mday);
                    return {text, megabytes(0, 6)};
                }
                return {words(2) + " " +
                            withNumber("", static_cast<uint64_t>(date.tm_year + 1900)) +
                            std::string(rng_.pick(kExt)),
                        rng_.between(6000, 8 * kMiB)};
            }
            case Kind::Web: {
                static constexpr std::array<std::string_view, 6> kCommon = {
                    "index.html", "style.css", "app.js", "favicon.ico", "robots.txt", "README.md"};
                if (rng_.chance(30))
                    return {std::string(rng_.pick(kCommon)), rng_.between(30, 60000)};
                if (rng_.chance(40))
                    return {lowerWords(static_cast<int>(rng_.between(1, 2)), '-') + ".png",
                            rng_.between(2000, 2 * kMiB)};
                return {lowerWords(3, '-') + ".html", rng_.between(1500, 90000)};
            }
            case Kind::Videos: {
                std::string show = words(2, '.');
                std::snprintf(text, sizeof text, ".S%02dE%02d.%s",
                              static_cast<int>(rng_.between(1, 8)), ordinal + 1,
                              rng_.chance(50) ? "1080p" : "720p");
                if (rng_.chance(30)) return {show + text + ".srt", rng_.between(20000, 120000)};
                return {show + text + (rng_.chance(70) ? ".mkv" : ".mp4"), megabytes(350, 4095)};
            }
            case Kind::Downloads: {
                static constexpr std::array<std::string_view, 6> kExt = {
                    ".iso", ".zip", ".tar.gz", ".deb", ".AppImage", ".exe"};
                std::string_view ext = rng_.pick(kExt);
                std::snprintf(text, sizeof text, "-%d.%d.%d", static_cast<int>(rng_.between(1, 24)),
                              static_cast<int>(rng_.below(12)), static_cast<int>(rng_.below(10)));
                uint64_t size = ext == ".iso" ? megabytes(600, 4095) : megabytes(0, 300);
                return {lowerWords(1, '-') + text + std::string(ext), size};
            }
            case Kind::PackageDocs: {
                static constexpr std::array<std::string_view, 6> kCommon = {
                    "copyright", "changelog.Debian.gz", "README.Debian",
                    "NEWS.gz",   "changelog.gz",        "README.md"};
                if (rng_.chance(60))
                    return {std::string(rng_.pick(kCommon)), rng_.between(200, 40000)};
                return {lowerWords(2, '-') + (rng_.chance(50) ? ".html" : ".txt.gz"),
                        rng_.between(500, 200000)};
            }
        }
        return {"file", 0};
    }

    // Keeps folder paths distinct, ignoring letter case, as a real scan sees them.
    std::string distinctFolder(const std::string& path) {
        if (folderSeen_.insert(lowerAscii(path)).second) return path;
        const std::string stem = path.substr(0, path.size() - 1) + " ";
        for (uint64_t copy = 2;; ++copy) {
            std::string candidate = withNumber(stem, copy) + "/";
            if (folderSeen_.insert(lowerAscii(candidate)).second) return candidate;
        }
    }

    // One folder never holds two names that are equal ignoring letter case.
    std::string distinctName(const std::string& name, std::unordered_set<std::string>& seen) {
        if (seen.insert(lowerAscii(name)).second) return name;
        size_t dot = name.rfind('.');
        if (dot == 0 || dot == std::string::npos) dot = name.size();
        for (uint64_t copy = 2;; ++copy) {
            std::string candidate =
                withNumber(name.substr(0, dot) + " (", copy) + ")" + name.substr(dot);
            if (seen.insert(lowerAscii(candidate)).second) return candidate;
        }
    }

    void fillFolder(int32_t files, CorpusStats& stats) {
        const Kind kind = pickKind();
        int64_t folderSecond = kFirstSecond + static_cast<int64_t>(rng_.below(kSpanSeconds));
        const std::string folder = distinctFolder(folderPath(kind, folderSecond));
        stats.folderBytes += folder.size() + 1;
        std::unordered_set<std::string> names;
        for (int32_t k = 0; k < files; ++k) {
            // Files of one folder were written within a month of each other.
            int64_t second = std::min(folderSecond + static_cast<int64_t>(rng_.below(30 * 86400)),
                                      kFirstSecond + kSpanSeconds - 1);
            // A taken name is drawn again first ("cover.jpg" stays once per folder); only
            // then does it get a copy number, as file managers add.
            FileDraft draft = draftFile(kind, k, second);
            for (int redraw = 0; redraw < 4 && names.count(lowerAscii(draft.name)); ++redraw)
                draft = draftFile(kind, k, second);
            const std::string name = distinctName(draft.name, names);
            const char* note = rng_.chance(2) ? rng_.pick(kNotes).data() : "";
            const uint64_t fileTime = kUnixEpochAsFileTime +
                                      static_cast<uint64_t>(second) * 10000000 +
                                      rng_.below(10000000);
            const uint32_t size = static_cast<uint32_t>(std::min(draft.size, kMaxStoredSize));

            const int32_t i = catalog_.recordCount(kMasterList);
            std::strcpy(catalog_.setRecordFolder(kMasterList, i), folder.c_str());
            std::strcpy(catalog_.setRecordName(kMasterList, i), name.c_str());
            std::strcpy(catalog_.setRecordNote(kMasterList, i), note);
            *catalog_.timeSlot(kMasterList, i) = fileTime;
            *catalog_.sizeSlot(kMasterList, i) = size;
            catalog_.setRecordCount(kMasterList, i + 1);

            checksum_.text(folder.c_str());
            checksum_.text(name.c_str());
            checksum_.text(note);
            checksum_.u64(fileTime);
            checksum_.u32(size);
            stats.nameBytes += name.size() + 1;
            stats.notes += note[0] != 0;
            stats.bigFiles += size >= 0x80000000u;
            stats.nonAsciiNames += std::any_of(name.begin(), name.end(), [](char c) {
                return static_cast<unsigned char>(c) >= 0x80;
            });
        }
    }

    Catalog& catalog_;
    Rng rng_;
    Checksum checksum_;
    std::unordered_set<std::string> folderSeen_;
};

}  // namespace

CorpusStats generateCorpus(Catalog& catalog, int32_t count, uint64_t seed) {
    return Generator(catalog, seed).run(count);
}

uint64_t catalogChecksum(Catalog& catalog, int list) {
    catalog.flushPendingStrings();
    Checksum sum;
    const int32_t count = catalog.recordCount(list);
    const uint32_t* masterNotes = catalog.noteColumn.segment(kMasterList);
    const uint32_t* listNotes = catalog.noteColumn.segment(list);
    for (int32_t i = 0; i < count; ++i) {
        sum.text(catalog.recordFolder(list, i));
        sum.text(catalog.recordName(list, i));
        // Straight from the pool: recordNote() hands out an editable copy that is written
        // back (appended to the pool again) at the next note access.
        const uint32_t note =
            catalog.isDerived(list) ? masterNotes[catalog.masterIndex(list, i)] : listNotes[i];
        sum.text(catalog.notePool().at(note));
        sum.u64(*catalog.recordTime(list, i));
        sum.u32(*catalog.recordSize(list, i));
    }
    return sum.value();
}

}  // namespace varnel::bench
