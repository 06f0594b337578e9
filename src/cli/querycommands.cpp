// varnel-cli's searching and editing commands: the address bar, saved searches, keeping or
// dropping files, and the two merge commands.
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <optional>

#include "app/addresshistory.h"
#include "catalog/catalogmap.h"
#include "catalog/dbfile.h"
#include "catalog/editing.h"
#include "catalog/filecommands.h"
#include "catalog/tables.h"
#include "catalog/workspace.h"
#include "cli/commands.h"
#include "cli/dumpformat.h"
#include "platform/filetime.h"
#include "platform/prompt.h"
#include "query/filesearch.h"
#include "query/savedsearch.h"
#include "query/search.h"
#include "query/wordindexfile.h"
#include "remote/ftpnames.h"

namespace varnel {

namespace {

// Options common to the listing commands, taken out of the argument list.
struct ListingOptions {
    bool countOnly = false;
    std::vector<std::string> rest;
};

ListingOptions takeListingOptions(const std::vector<std::string>& args) {
    ListingOptions options;
    for (const std::string& a : args) {
        if (a == "--count")
            options.countOnly = true;
        else
            options.rest.push_back(a);
    }
    return options;
}

int printList(Catalog& catalog, int list, bool countOnly) {
    const int32_t count = catalog.recordCount(list);
    if (countOnly) {
        std::printf("%d\n", count);
    } else {
        for (int32_t i = 0; i < count; ++i) printRecord(catalog, list, i);
    }
    return std::fflush(stdout) == 0 ? 0 : fail("cannot write the listing");
}

// The saved searches and the search engine over the opened catalog.
struct Searching {
    SavedSearchList searches;
    CatalogSearch search;
    explicit Searching(CliContext& ctx)
        : searches(ctx.workspace.settings().savedSearchCount,
                   ctx.workspace.settings().savedSearchBlock),
          search(ctx.catalog, searches) {
        search.currentFileTime = [&ctx] { return ctx.workspace.currentFileTime(); };
    }
};

// The address bar's search read straight from the mapped catalog file: nothing is copied and
// no table is built, which is most of the time a one-off search would take; the word index
// beside it (made by the first search after a save) spares reading every text. Empty when the
// file is not one the mapping reads; the reader then opens it and says why.
std::optional<int> findInMappedFile(const std::string& path, const std::string& text,
                                    bool countOnly) {
    MappedCatalog file;
    std::string why;
    if (!file.open(path, why)) return std::nullopt;
    const std::optional<std::vector<uint32_t>> hits =
        searchCatalogFile(file, wordIndexPath(path), text.c_str());
    if (!hits) return std::nullopt;
    const std::vector<uint32_t>& found = *hits;
    if (countOnly) std::printf("%zu\n", found.size());
    for (size_t k = 0; k < found.size() && !countOnly; ++k) {
        const uint32_t r = found[k];
        DumpRecord record{file.folderPool().data() + file.folderOffsets()[r],
                          file.namePool().data() + file.nameOffsets()[r],
                          file.notePool().data() + file.noteOffsets()[r], file.time(int32_t(r)),
                          file.size(int32_t(r))};
        std::string line = formatDumpLine(record);
        line += '\n';
        std::fwrite(line.data(), 1, line.size(), stdout);
    }
    return std::fflush(stdout) == 0 ? 0 : fail("cannot write the listing");
}

int runFind(CliContext& ctx, const std::vector<std::string>& args) {
    ListingOptions options = takeListingOptions(args);
    if (options.rest.size() != 1) return fail("usage: find TEXT [--count]");
    const std::string text = addressToName(options.rest[0]);
    if (std::optional<int> done = findInMappedFile(ctx.catalogPath, text, options.countOnly))
        return *done;
    if (!openForReading(ctx)) return 1;
    Searching s(ctx);
    const int list = ctx.catalog.allocTempList(0);
    s.search.patternFill(list, text.c_str());
    return printList(ctx.catalog, list, options.countOnly);
}

int runLs(CliContext& ctx, const std::vector<std::string>& args) {
    ListingOptions options = takeListingOptions(args);
    if (options.rest.size() != 1) return fail("usage: ls FOLDER [--count]");
    // The address bar's spelling: FTP folders as URLs.
    std::string folder = addressToName(options.rest[0]);
    const char separator = IsFtpName(folder.c_str()) ? '\\' : '/';
    if (folder.empty() || folder.back() != separator) folder += separator;
    if (!openForReading(ctx)) return 1;
    Searching s(ctx);
    const int list = ctx.catalog.allocTempList(0);
    s.search.patternFill(list, folder.c_str());
    return printList(ctx.catalog, list, options.countOnly);
}

// A point in time as the search dialog reads its pickers: a wall-clock time of the local
// time zone. Accepts YYYY-MM-DD, YYYY-MM-DDTHH:MM[:SS] or a decimal file time (UTC).
// A file time, or a local wall-clock time YYYY-MM-DD[THH:MM[:SS]]. A day without a time of
// day means its first moment, or with `endOfDay` its last, so "--to 2024-07-15" keeps that
// day's files. A time that no clock shows (February 30, an hour skipped by summer time) is
// refused, not rolled into another.
std::optional<uint64_t> parseTime(const std::string& text, bool endOfDay) {
    uint64_t raw = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), raw);
    if (error == std::errc() && end == text.data() + text.size() && text.size() > 10) return raw;
    LocalDateTime local;
    int consumed = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d%n", &local.year, &local.month, &local.day,
                    &consumed) != 3)
        return std::nullopt;
    const bool wholeDay = static_cast<size_t>(consumed) == text.size();
    if (!wholeDay) {
        int rest = 0;
        if (std::sscanf(text.c_str() + consumed, "T%2d:%2d%n:%2d%n", &local.hour, &local.minute,
                        &rest, &local.second, &rest) < 2 ||
            static_cast<size_t>(consumed + rest) != text.size())
            return std::nullopt;
    } else if (endOfDay) {
        local.hour = 23;
        local.minute = local.second = 59;
    }
    const uint64_t time = fileTimeFromLocal(local);
    if (time == 0 || !(localFromFileTime(time) == local)) return std::nullopt;
    return wholeDay && endOfDay ? time + (kFileTimeSecond - 1) : time;
}

int runSearch(CliContext& ctx, const std::vector<std::string>& args) {
    ListingOptions options = takeListingOptions(args);
    std::string types, folder;
    int32_t days = 0;
    uint64_t from = 0, to = 0;
    const std::vector<std::string>& a = options.rest;
    for (size_t k = 0; k < a.size(); ++k) {
        const bool hasValue = k + 1 < a.size();
        if (a[k] == "--types" && hasValue) {
            types = a[++k];
        } else if (a[k] == "--folder" && hasValue) {
            folder = a[++k];
        } else if (a[k] == "--days" && hasValue) {
            days = std::atoi(a[++k].c_str());
            if (days < 0) return fail("--days takes a count of days");
        } else if ((a[k] == "--from" || a[k] == "--to") && hasValue) {
            std::optional<uint64_t> t = parseTime(a[k + 1], a[k] == "--to");
            if (!t)
                return fail("bad time " + a[k + 1] + " (YYYY-MM-DD[THH:MM[:SS]] or a file time)");
            (a[k] == "--from" ? from : to) = *t;
            ++k;
        } else {
            return fail(
                "usage: search [--types LIST] [--folder F] [--days N] [--from T --to T] [--count]");
        }
    }
    if ((from != 0) != (to != 0)) return fail("--from and --to go together");
    if (from != 0) days = -1;
    if (!openForReading(ctx)) return 1;
    // As the search dialog's Find: a temporary saved search, run, then removed again.
    Searching s(ctx);
    const char* kTemporary = "Varnel system Search";
    if (!s.searches.addSavedSearch(kTemporary, types, folder, days, from, to))
        return fail(
            "cannot run the search: a saved search is named \"Varnel system Search\" or the "
            "saved-search list is full");
    s.search.runSavedSearch(s.searches.count() - 1, -1);
    s.searches.removeSavedSearch(kTemporary);
    return printList(ctx.catalog, ctx.catalog.currentList(), options.countOnly);
}

int runSearches(CliContext& ctx, const std::vector<std::string>&) {
    Searching s(ctx);
    for (int32_t i = 0; i < s.searches.count(); ++i) {
        std::string name(s.searches.savedSearchName(i)),
            patterns(s.searches.savedSearchPatterns(i)), folder(s.searches.savedSearchFolder(i));
        std::printf("%d\t%s\t%s\t%s\n", i, name.c_str(), patterns.c_str(), folder.c_str());
    }
    return 0;
}

int runRun(CliContext& ctx, const std::vector<std::string>& args) {
    ListingOptions options = takeListingOptions(args);
    if (options.rest.size() != 1) return fail("usage: run N [--count]");
    const int32_t index = std::atoi(options.rest[0].c_str());
    if (!openForReading(ctx)) return 1;
    Searching s(ctx);
    if (!s.search.runSavedSearch(index, -1))
        return fail("there is no saved search " + options.rest[0]);
    return printList(ctx.catalog, ctx.catalog.currentList(), options.countOnly);
}

// Selects the master records whose full paths are listed in `file`, one per line.
bool selectListedFiles(CliContext& ctx, const std::string& file, int32_t& missing) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    Catalog& c = ctx.catalog;
    c.setRecordCount(kSelectionList, 0);
    missing = 0;
    std::string path;
    while (std::getline(in, path)) {
        if (path.empty()) continue;
        const size_t cut = path.find_last_of("/\\");
        const std::string folder = cut == std::string::npos ? "" : path.substr(0, cut + 1);
        const std::string name = path.substr(cut == std::string::npos ? 0 : cut + 1);
        const int32_t i = c.findByFolderAndName(kMasterList, folder.c_str(), name.c_str());
        if (i < 0) {
            ++missing;
            continue;
        }
        c.copyRecord(kSelectionList, c.recordCount(kSelectionList), kMasterList, i);
        c.setRecordCount(kSelectionList, c.recordCount(kSelectionList) + 1);
    }
    return true;
}

// Answers the selection question with Yes; everything else goes to the terminal.
class YesPrompt : public Prompt {
  public:
    explicit YesPrompt(Prompt& terminal) : terminal_(terminal) {}
    void tell(std::string_view text) override { terminal_.tell(text); }
    Answer ask(std::string_view, Buttons) override { return Answer::Yes; }
    void status(std::string_view) override {}

  private:
    Prompt& terminal_;
};

int runSelection(CliContext& ctx, const std::vector<std::string>& args, bool keep) {
    if (args.size() != 1)
        return fail(keep ? "usage: keep FILE-OF-PATHS" : "usage: drop FILE-OF-PATHS");
    if (!openForReading(ctx)) return 1;
    int32_t missing = 0;
    if (!selectListedFiles(ctx, args[0], missing)) return fail("cannot open " + args[0]);
    if (missing > 0)
        std::fprintf(stderr, "varnel-cli: %d listed files are not in the catalog\n", missing);
    ctx.catalog.historyPushList(kMasterList);
    YesPrompt yes(ctx.prompt);
    keep ? keepSelection(ctx.catalog, yes) : dropSelection(ctx.catalog, yes);
    if (!ctx.database.writeCatalogFile(ctx.catalogPath, nullptr))
        return fail(ctx.database.lastError());
    std::printf("%d records\n", ctx.catalog.recordCount(kMasterList));
    return 0;
}

int runKeep(CliContext& ctx, const std::vector<std::string>& args) {
    return runSelection(ctx, args, true);
}
int runDrop(CliContext& ctx, const std::vector<std::string>& args) {
    return runSelection(ctx, args, false);
}

// Hands the file named on the command line to the command's file dialog.
class ChosenFilePrompt : public YesPrompt {
  public:
    ChosenFilePrompt(Prompt& terminal, std::string file)
        : YesPrompt(terminal), file_(std::move(file)) {}
    std::optional<std::string> chooseFile(const FileDialogRequest&) override { return file_; }

  private:
    std::string file_;
};

int runImport(CliContext& ctx, const std::vector<std::string>& args) {
    if (args.size() != 1) return fail("usage: import FILE");
    if (!openForReading(ctx)) return 1;
    std::vector<std::string> scannedFolders;
    connectCatalogMerge(ctx.database, ctx.catalog, scannedFolders);
    ChosenFilePrompt chosen(ctx.prompt, args[0]);
    CatalogFileCommands commands(ctx.catalog, ctx.database, chosen, ctx.workspace);
    commands.importCatalog();
    if (!ctx.database.lastError().empty()) return fail(ctx.database.lastError());
    if (!ctx.database.writeCatalogFile(ctx.catalogPath, nullptr))
        return fail(ctx.database.lastError());
    std::printf("%d records\n", ctx.catalog.recordCount(kMasterList));
    return 0;
}

int runExport(CliContext& ctx, const std::vector<std::string>& args) {
    if (args.size() != 1) return fail("usage: export FILE");
    if (!openForReading(ctx)) return 1;
    ChosenFilePrompt chosen(ctx.prompt, args[0]);
    CatalogFileCommands commands(ctx.catalog, ctx.database, chosen, ctx.workspace);
    if (!commands.exportCatalog()) return 1;  // the reason was told
    std::printf("wrote %s\n", args[0].c_str());
    return 0;
}

const CliCommand kQueryCommands[] = {
    {"find", "find TEXT [--count]", "List what typing TEXT into the address bar lists.", runFind},
    {"ls", "ls FOLDER [--count]", "List the records of one folder.", runLs},
    {"search", "search [--types LIST] [--folder F] [--days N] [--from T --to T] [--count]",
     "Run a one-off search (T: YYYY-MM-DD[THH:MM[:SS]] or a file time).", runSearch},
    {"searches", "searches", "List the saved searches: position, name, patterns, folder.",
     runSearches},
    {"run", "run N [--count]", "Run saved search N.", runRun},
    {"keep", "keep FILE-OF-PATHS", "Keep only the listed files in the catalog, and save it.",
     runKeep},
    {"drop", "drop FILE-OF-PATHS", "Remove the listed files from the catalog, and save it.",
     runDrop},
    {"import", "import FILE", "Bring the FTP sites of catalog FILE into this catalog, and save it.",
     runImport},
    {"export", "export FILE",
     "Write this catalog's FTP sites into catalog FILE; this catalog stays as it is.", runExport},
};

}  // namespace

std::span<const CliCommand> queryCommands() {
    return kQueryCommands;
}

}  // namespace varnel
