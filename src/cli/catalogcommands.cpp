#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string_view>
#include <unordered_set>

#include "catalog/bytestream.h"
#include "catalog/dbfile.h"
#include "catalog/dbformat.h"
#include "catalog/tables.h"
#include "cli/commands.h"
#include "cli/dumpformat.h"

namespace varnel {

int fail(const std::string& message) {
    std::fprintf(stderr, "varnel-cli: %s\n", message.c_str());
    return 1;
}

void printRecord(Catalog& c, int list, int32_t i) {
    DumpRecord r;
    r.folder = c.recordFolder(list, i);
    r.name = c.recordName(list, i);
    r.note = c.recordNoteText(list, i);
    r.time = *c.recordTime(list, i);
    r.size = *c.recordSize(list, i);
    std::string line = formatDumpLine(r);
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stdout);
}

bool openForReading(CliContext& ctx) {
    if (ctx.catalogPath == ctx.database.defaultCatalogPath()) {
        ctx.database.openCatalog(ctx.catalogPath);
        return true;
    }
    if (!ctx.database.openCatalog(ctx.catalogPath)) {
        fail(ctx.database.lastError().empty() ? "cannot open " + ctx.catalogPath
                                              : ctx.database.lastError());
        return false;
    }
    return true;
}

namespace {

int runInfo(CliContext& ctx, const std::vector<std::string>&) {
    if (!openForReading(ctx)) return 1;
    Catalog& c = ctx.catalog;
    const int32_t count = c.recordCount(kMasterList);
    std::unordered_set<std::string_view> folders;
    uint64_t total = 0;
    for (int32_t i = 0; i < count; ++i) {
        folders.insert(c.recordFolder(kMasterList, i));
        total += *c.recordSize(kMasterList, i);
    }
    std::printf("catalog:      %s\n", ctx.catalogPath.c_str());
    std::printf("records:      %d\n", count);
    std::printf("folders:      %zu\n", folders.size());
    std::printf("total size:   %" PRIu64 " bytes\n", total);
    std::printf("site nodes:   %d\n", c.siteNodeCount());
    std::printf("view entries: %d\n", c.history().count);
    return 0;
}

int runDump(CliContext& ctx, const std::vector<std::string>&) {
    if (!openForReading(ctx)) return 1;
    Catalog& c = ctx.catalog;
    const int32_t count = c.recordCount(kMasterList);
    for (int32_t i = 0; i < count; ++i) printRecord(c, kMasterList, i);
    return std::fflush(stdout) == 0 ? 0 : fail("cannot write the dump");
}

int runCheck(CliContext& ctx, const std::vector<std::string>&) {
    CatalogImage image;
    std::string why;
    if (!loadCatalogImage(ctx.catalogPath, image, why)) return fail(why);
    std::printf("%s: valid catalog, %d records\n", ctx.catalogPath.c_str(),
                image.counts[kMasterList]);
    return 0;
}

int runMake(CliContext& ctx, const std::vector<std::string>& args) {
    if (args.size() != 1) return fail("usage: make TSV");
    std::ifstream in(args[0], std::ios::binary);
    if (!in) return fail("cannot open " + args[0]);
    Catalog& c = ctx.catalog;
    c.reset(kDefaultColumnCapacity);
    std::string line, why;
    for (int64_t lineNumber = 1; std::getline(in, line); ++lineNumber) {
        auto record = parseDumpLine(line, why);
        if (!record) return fail(args[0] + ":" + std::to_string(lineNumber) + ": " + why);
        for (const std::string* text : {&record->folder, &record->name, &record->note})
            if (text->size() >= kTextSize)
                return fail(args[0] + ":" + std::to_string(lineNumber) +
                            ": a text is longer than " + std::to_string(kTextSize - 1) + " bytes");
        const int32_t i = c.recordCount(kMasterList);
        c.writeRecordFolder(kMasterList, i, record->folder);
        c.writeRecordName(kMasterList, i, record->name);
        c.writeRecordNote(kMasterList, i, record->note);
        *c.timeSlot(kMasterList, i) = record->time;
        *c.sizeSlot(kMasterList, i) = record->size;
        c.setRecordCount(kMasterList, i + 1);
    }
    c.bumpGeneration();
    if (!ctx.database.writeCatalogFile(ctx.catalogPath, nullptr))
        return fail(ctx.database.lastError());
    std::printf("%s: %d records\n", ctx.catalogPath.c_str(), c.recordCount(kMasterList));
    return 0;
}

const CliCommand kCatalogCommands[] = {
    {"info", "info",
     "Show the catalog's path, record count, folders, total size, site nodes and view entries.",
     runInfo},
    {"dump", "dump",
     "Print every record: folder, name, note, time (file time), size, tab-separated.", runDump},
    {"check", "check",
     "Validate the catalog file; exit 0 when it is sound, else print why and exit 1.", runCheck},
    {"make", "make TSV",
     "Build the catalog from lines in the dump format and save it to the -d path.", runMake},
};

}  // namespace

std::span<const CliCommand> catalogCommands() {
    return kCatalogCommands;
}

}  // namespace varnel
