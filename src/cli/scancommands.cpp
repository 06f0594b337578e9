// varnel-cli scan|refresh|watch: the folder scan, the one-level refresh and the change
// monitor from a terminal. FTP logins come from --user/--password or the saved logins.
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <memory>
#include <thread>

#include "catalog/dbfile.h"
#include "catalog/tables.h"
#include "catalog/workspace.h"
#include "cli/clilogin.h"
#include "cli/cliprogress.h"
#include "cli/commands.h"
#include "platform/ftpclient.h"
#include "remote/ftpnames.h"
#include "remote/ftpsession.h"
#include "remote/loginform.h"
#include "scan/changemonitor.h"
#include "scan/folderrefresh.h"
#include "scan/scancommand.h"
#include "scan/scanoptions.h"
#include "scan/scanpaths.h"
#include "scan/scanservices.h"

namespace varnel {

namespace {

struct ScanOptions : CliLogin {
    std::vector<std::string> operands;
    std::string exclusions;
    bool live = false;
};

bool parseOptions(const std::vector<std::string>& args, size_t first, ScanOptions& out,
                  std::string& why) {
    for (size_t i = first; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (takeLoginOption(args, i, out)) continue;
        if (a == "--exclude" && i + 1 < args.size()) {
            out.exclusions = args[++i];
        } else if (a == "--live") {
            out.live = true;
        } else if (a.size() > 1 && a[0] == '-') {
            why = "unknown option " + a;
            return false;
        } else {
            out.operands.push_back(a);
        }
    }
    return true;
}

// A folder given on the command line, as the catalog spells it: relative local paths are
// taken from the working folder, FTP URLs become FTP names.
std::string absoluteFolder(std::string folder) {
    if (IsFtpUrl(folder)) SwapFtpSeparators(folder);
    if (folder.empty() || folder[0] == '/' || IsFtpName(folder.c_str())) return folder;
    char cwd[4096];
    if (!::getcwd(cwd, sizeof cwd)) return folder;
    std::string path = cwd;
    if (path.back() != '/') path.push_back('/');
    return path + folder;
}

std::string absoluteFolderList(const std::string& list) {
    std::string out;
    for (size_t start = 0; start <= list.size();) {
        size_t comma = list.find(',', start);
        if (comma == std::string::npos) comma = list.size();
        if (!out.empty()) out.push_back(',');
        out += absoluteFolder(list.substr(start, comma - start));
        start = comma + 1;
    }
    return out;
}

// The scan dialog answered with the command line's texts.
class CliScanDialog : public ScanDialogs {
  public:
    CliScanDialog(std::string folders, std::string exclusions)
        : form_{std::move(folders), std::move(exclusions)} {}
    bool scanOptions(ScanOptionsForm& form) override {
        form = form_;
        return true;
    }

  private:
    ScanOptionsForm form_;
};

// Status texts (from the FTP layer and the change monitor) go to stderr as well.
class StatusPrinter : public Prompt {
  public:
    explicit StatusPrinter(Prompt& inner) : inner_(inner) {}
    void tell(std::string_view text) override { inner_.tell(text); }
    Answer ask(std::string_view text, Buttons buttons) override {
        return inner_.ask(text, buttons);
    }
    void status(std::string_view text) override {
        std::fprintf(stderr, "varnel-cli: %.*s\n", static_cast<int>(text.size()), text.data());
    }

  private:
    Prompt& inner_;
};

// Everything a scan-side command works with, in the order it must be built.
struct ScanTools {
    ScanTools(CliContext& ctx, const ScanOptions& options)
        : prompt(ctx.prompt),
          ftp(prompt, ctx.workspace.settings(), options),
          services(ctx.catalog, prompt, ctx.workspace.paths().programDir) {
        services.ftp = &ftp.session;
        services.watchedFolders = &ctx.workspace.settings().watchedFolders;
        services.scannedFolders = &scanned;
    }
    StatusPrinter prompt;
    CliFtp ftp;
    ScanServices services;
    std::vector<std::string> scanned;
};

// The catalog to scan into: a catalog file that does not exist yet starts empty.
bool openForWriting(CliContext& ctx) {
    if (::access(ctx.catalogPath.c_str(), F_OK) != 0 && errno == ENOENT) {
        ctx.catalog.reset(ctx.workspace.settings().initialColumnCapacity);
        return true;
    }
    return openForReading(ctx);
}

int saveCatalog(CliContext& ctx) {
    if (!ctx.database.writeCatalogFile(ctx.catalogPath, nullptr))
        return fail(ctx.database.lastError().empty() ? "cannot save " + ctx.catalogPath
                                                     : ctx.database.lastError());
    std::printf("saved %s (%d records)\n", ctx.catalogPath.c_str(),
                ctx.catalog.recordCount(kMasterList));
    return 0;
}

int saveSettings(CliContext& ctx) {
    // Twice the record count is written as the next start's capacity: keep what it was.
    if (!ctx.workspace.saveSettings(ctx.workspace.settings().initialColumnCapacity / 2))
        return fail(ctx.workspace.lastError());
    return 0;
}

int runScan(CliContext& ctx, const std::vector<std::string>& args) {
    ScanOptions options;
    std::string why;
    if (!parseOptions(args, 0, options, why)) return fail(why);
    if (options.operands.empty())
        return fail("usage: scan ROOT[,ROOT...] [--exclude FOLDER[,FOLDER...]]");
    std::string roots;
    for (std::string operand : options.operands) {
        if (IsFtpUrl(operand)) takeUrlLogin(operand, options);
        roots += (roots.empty() ? "" : ",") + absoluteFolderList(operand);
    }
    if (!openForWriting(ctx)) return 1;
    ScanTools tools(ctx, options);
    const std::string watchedBefore = ctx.workspace.settings().watchedFolders;
    CliScanDialog dialog(roots, options.exclusions);
    CliProgress progress;
    const ScanCommandResult result =
        ScanCommand(tools.services, ctx.workspace, dialog, progress, "");
    if (result.outcome != ScanOutcome::Scanned) return 1;

    const ScanSummary& s = result.summary;
    std::printf("%lld folders walked, %d new, %d changed, %d removed, %lld skipped\n",
                static_cast<long long>(s.foldersWalked), s.newFiles, s.changedFiles, s.removedFiles,
                static_cast<long long>(s.skippedLongPaths + s.skippedLargeFiles +
                                       s.skippedUnstorableNames + s.skippedFolderLoops));
    if (s.skippedLongPaths > 0)
        std::printf("skipped %lld paths longer than %zu bytes\n",
                    static_cast<long long>(s.skippedLongPaths), kTextSize - 1);
    if (s.skippedUnstorableNames > 0)
        std::printf("skipped %lld names the catalog cannot store\n",
                    static_cast<long long>(s.skippedUnstorableNames));
    if (s.skippedFolderLoops > 0)
        std::printf("skipped %lld FTP folders that lead back to a folder above them\n",
                    static_cast<long long>(s.skippedFolderLoops));
    if (s.skippedLargeFiles > 0)
        std::printf("skipped %lld files of 4 GiB or more\n",
                    static_cast<long long>(s.skippedLargeFiles));
    if (s.unreadableFolders > 0)
        std::printf("%lld folders could not be read; their records were kept\n",
                    static_cast<long long>(s.unreadableFolders));
    if (s.cancelled) std::printf("cancelled: what was found so far is kept\n");
    if (int failed = saveCatalog(ctx)) return failed;
    if (ctx.workspace.settings().watchedFolders != watchedBefore)
        if (int failed = saveSettings(ctx)) return failed;
    if (s.unreachedFtpFolders.empty()) return 0;
    // Saved, but not whole: say which folders were left as they were, and fail.
    std::string folders;
    for (std::string folder : s.unreachedFtpFolders) {
        SwapFtpSeparators(folder);
        folders += "\n  " + folder;
    }
    return fail("the server gave up (" + s.ftpProblem + "); these folders were not reached " +
                "and keep their records:" + folders);
}

int runRefresh(CliContext& ctx, const std::vector<std::string>& args) {
    ScanOptions options;
    std::string why;
    if (!parseOptions(args, 0, options, why)) return fail(why);
    if (options.operands.size() != 1) return fail("usage: refresh FOLDER [--live]");
    std::string folder = absoluteFolder(options.operands[0]);
    if (folder.size() >= kTextSize)
        return fail("the folder name is longer than " + std::to_string(kTextSize - 1) + " bytes");
    if (!openForWriting(ctx)) return 1;
    ScanTools tools(ctx, options);
    const int32_t generation = ctx.catalog.generation();
    const int read =
        refreshFolders(tools.services, folder.c_str(), kSingleFolder, options.live ? 1 : 0);
    if (!read) fail("cannot read " + folder + "; its records were kept");
    if (ctx.catalog.generation() != generation)
        if (int failed = saveCatalog(ctx)) return failed;
    return read ? 0 : 1;
}

// ---- watch ---------------------------------------------------------------------------

std::atomic<bool> gStopWatching{false};

extern "C" void onWatchInterrupt(int) {
    gStopWatching.store(true);
}

std::string folderEntry(const std::string& operand) {
    std::string folder = absoluteFolder(operand);
    if (!folder.empty() && folder.back() != folderSeparator(folder))
        folder.push_back(folderSeparator(folder));
    return folder;
}

int runWatchEdit(CliContext& ctx, const std::string& sub, const std::string& operand) {
    std::string& watched = ctx.workspace.settings().watchedFolders;
    const std::string folder = folderEntry(operand);
    std::string kept;
    bool present = false;
    const FolderList list = FolderList::fromBytes(watched.data(), watched.size());
    for (const std::string& f : list.entries()) {
        if (samePathText(f, folder)) {
            present = true;
            if (sub == "remove") continue;
        }
        kept.append(f).push_back('\0');
    }
    if (sub == "add") {
        if (present) {
            std::printf("already watched: %s\n", folder.c_str());
            return 0;
        }
        if (folder.size() >= kTextSize) return fail("the folder name is too long: " + folder);
        if (kept.size() + folder.size() + 1 > kWatchedFoldersBuffer)
            return fail("the watched-folder list is full");
        kept.append(folder).push_back('\0');
    } else if (!present) {
        return fail("not watched: " + folder);
    }
    watched = kept;
    if (int failed = saveSettings(ctx)) return failed;
    std::printf("%s %s\n", sub == "add" ? "watching" : "no longer watching", folder.c_str());
    return 0;
}

int runWatchLoop(CliContext& ctx) {
    if (!openForWriting(ctx)) return 1;
    ScanOptions none;
    ScanTools tools(ctx, none);
    const std::string& watched = ctx.workspace.settings().watchedFolders;
    ChangeMonitor monitor(tools.prompt, ctx.workspace.driveRoots());
    struct sigaction action {
    }, previous{};
    action.sa_handler = onWatchInterrupt;
    sigemptyset(&action.sa_mask);
    gStopWatching.store(false);
    ::sigaction(SIGINT, &action, &previous);
    ::sigaction(SIGTERM, &action, nullptr);
    const size_t folders = FolderList::fromBytes(watched.data(), watched.size()).entries().size();
    std::printf("watching %zu folders; Ctrl-C stops\n", folders);
    std::fflush(stdout);
    int status = 0;
    while (!gStopWatching.load() && status == 0) {
        monitor.pollDriveChanges(watched);
        bool changed = false;
        for (int s = 0; s < monitor.slotCount(); ++s) changed = changed || monitor.changed(s);
        if (changed) {
            const int32_t generation = ctx.catalog.generation();
            monitor.refreshWatchedFolders(tools.services);
            if (ctx.catalog.generation() != generation) status = saveCatalog(ctx);
            std::fflush(stdout);
        }
        // The window's timer ticks every 200 ms; so does this loop.
        for (int i = 0; i < 10 && !gStopWatching.load(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    monitor.closeDriveWatches();
    ::sigaction(SIGINT, &previous, nullptr);
    return status;
}

int runWatch(CliContext& ctx, const std::vector<std::string>& args) {
    if (args.empty()) return runWatchLoop(ctx);
    const std::string& sub = args[0];
    if ((sub == "add" || sub == "remove") && args.size() == 2)
        return runWatchEdit(ctx, sub, args[1]);
    if (sub == "list" && args.size() == 1) {
        const std::string& watched = ctx.workspace.settings().watchedFolders;
        const FolderList list = FolderList::fromBytes(watched.data(), watched.size());
        for (const std::string& f : list.entries()) std::printf("%s\n", f.c_str());
        return 0;
    }
    return fail("usage: watch [add FOLDER | remove FOLDER | list]");
}

const CliCommand kScanCommands[] = {
    {"scan", "scan ROOT[,ROOT...] [--exclude F,...]",
     "Scan the roots and everything below them into the catalog (Ctrl-C cancels and keeps "
     "what was found), then save it. FTP roots log in with --user/--password or the saved "
     "login.",
     runScan},
    {"refresh", "refresh FOLDER [--live]",
     "Bring one folder's records up to date, one level deep; --live reads an FTP folder from "
     "the server.",
     runRefresh},
    {"watch", "watch [add|remove F | list]",
     "Watch the watched folders and refresh and save the catalog when one changes, until "
     "Ctrl-C; 'add' and 'remove' edit the list in cfg.dat.",
     runWatch},
};

}  // namespace

std::span<const CliCommand> scanCommands() {
    return kScanCommands;
}

}  // namespace varnel
