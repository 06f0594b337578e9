// varnel-cli ftp login|ls|get|put: the FTP session and the copy engine from a terminal.
// Credentials come from --user/--password or the saved logins and are never printed.
#include <sys/stat.h>
#include <cinttypes>
#include <cstdio>
#include <ctime>
#include <memory>

#include "catalog/tables.h"
#include "catalog/workspace.h"
#include "cli/clilogin.h"
#include "cli/cliprogress.h"
#include "cli/cliprompt.h"
#include "cli/commands.h"
#include "cli/dumpformat.h"
#include "fileops/copyengine.h"
#include "platform/filetime.h"
#include "platform/ftpclient.h"
#include "remote/ftpnames.h"
#include "remote/ftpsession.h"
#include "remote/loginform.h"

namespace varnel {

namespace {

struct FtpOptions : CliLogin {
    std::vector<std::string> operands;
    bool overwrite = false;
};

bool parseOptions(const std::vector<std::string>& args, FtpOptions& out, std::string& why) {
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (takeLoginOption(args, i, out)) continue;
        if (a == "--save") {
            out.save = true;
        } else if (a == "--overwrite") {
            out.overwrite = true;
        } else if (a.size() > 1 && a[0] == '-') {
            why = "unknown option " + a;
            return false;
        } else {
            out.operands.push_back(a);
        }
    }
    return true;
}

bool isFtpUrl(const std::string& url) {
    return url.size() > 6 && IsFtpUrl(url);
}

// The catalog name of the folder holding `url` (or of `url` itself when it names a folder).
std::string folderNameOf(std::string url, bool isFolder) {
    if (!isFolder) url.resize(url.rfind('/') + 1);
    SwapFtpSeparators(url);
    return url;
}

std::string formatTime(uint64_t fileTime) {
    if (fileTime == 0) return "-";
    const timespec ts = timespecFromFileTime(fileTime);
    std::tm parts{};
    gmtime_r(&ts.tv_sec, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts);
    return text;
}

int loginFailure(FtpSession& session, const std::string& url) {
    const std::string& why = session.lastFtpError();
    return fail(why.empty() ? "cannot log in to " + url : why);
}

int runLogin(CliContext& ctx, CliFtp& ftp, const FtpOptions& options) {
    const std::string& url = options.operands[0];
    if (!ftp.session.PromptRemoteLogin(folderNameOf(url, true)))
        return fail("login cancelled for " + url);
    if (!ftp.session.ConnectFtp(url)) return loginFailure(ftp.session, url);
    std::string host;
    FtpHostFromUrl(url.c_str(), host);
    std::printf("logged in to %s\n", host.c_str());
    if (options.save) {
        // Twice the record count is written as the next start's capacity: keep what it was.
        if (!ctx.workspace.saveSettings(ctx.workspace.settings().initialColumnCapacity / 2))
            return fail(ctx.workspace.lastError());
        std::printf("login saved for %s\n", host.c_str());
    }
    return 0;
}

int runList(CliFtp& ftp, const FtpOptions& options) {
    const std::string& url = options.operands[0];
    if (!ftp.session.PromptRemoteLogin(folderNameOf(url, true)))
        return fail("login cancelled for " + url);
    std::vector<FtpEntry> entries;
    if (!ftp.session.FindFtpFiles(url, entries)) return loginFailure(ftp.session, url);
    for (const FtpEntry& e : entries)
        std::printf("%s\t%s\t%" PRIu64 "\t%s\n", escapeDumpField(e.name).c_str(),
                    e.isFolder ? "folder" : "file", e.size, formatTime(e.lastWriteTime).c_str());
    return std::fflush(stdout) == 0 ? 0 : fail("cannot write the listing");
}

int runCopy(CliContext& ctx, CliFtp& ftp, const FtpOptions& options, bool download) {
    const std::string& from = options.operands[0];
    const std::string& to = options.operands[1];
    const std::string& url = download ? from : to;
    if (!ftp.session.PromptRemoteLogin(folderNameOf(url, !download)))
        return fail("login cancelled for " + url);
    CopyJob job;
    job.destination = to;
    job.sources.push_back(from);
    // A download's size comes with the file (the server's SIZE reply): no listing first.
    if (!download) {
        struct stat st {};
        if (::stat(from.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            return fail("not a file: " + from);
        job.totalSize = static_cast<uint64_t>(st.st_size);
    }
    CliPrompt answers(options.overwrite ? CliPrompt::Policy::Yes : CliPrompt::Policy::No);
    Prompt& prompt = download ? static_cast<Prompt&>(answers) : ctx.prompt;
    CliProgress progress;
    CopyEngine engine(ftp.session, prompt, progress);
    if (!engine.RunCopyJob(job)) return 1;  // the job told why
    return 0;
}

int runFtp(CliContext& ctx, const std::vector<std::string>& args) {
    FtpOptions options;
    std::string why;
    if (args.empty() || !parseOptions(args, options, why))
        return fail(why.empty() ? "usage: ftp login|ls|get|put ..." : why);
    const std::string& sub = args[0];
    const size_t wanted = sub == "login" || sub == "ls" ? 1 : sub == "get" || sub == "put" ? 2 : 0;
    if (wanted == 0) return fail("unknown ftp command " + sub + " (login, ls, get, put)");
    if (options.operands.size() != wanted) return fail("wrong number of arguments for ftp " + sub);
    std::string& url = sub == "put" ? options.operands[1] : options.operands[0];
    if (!isFtpUrl(url)) return fail("not an FTP URL: " + url);
    takeUrlLogin(url, options);
    // A folder may be named without its trailing "/".
    if (sub != "get" && url.back() != '/') url.push_back('/');
    if (url.size() >= kTextSize)
        return fail("the URL is longer than " + std::to_string(kTextSize - 1) + " bytes");
    CliFtp ftp(ctx.prompt, ctx.workspace.settings(), options);
    if (sub == "login") return runLogin(ctx, ftp, options);
    if (sub == "ls") return runList(ftp, options);
    return runCopy(ctx, ftp, options, sub == "get");
}

const CliCommand kFtpCommands[] = {
    {"ftp", "ftp login|ls|get|put ...",
     "FTP: 'login URL [--user U --password P] [--save]' checks (and saves) a login; 'ls "
     "URL' lists a server folder; 'get URL FOLDER [--overwrite]' downloads a file; 'put FILE "
     "URL-FOLDER' uploads one. Without --user: the saved login, else anonymous.",
     runFtp},
};

}  // namespace

std::span<const CliCommand> ftpCommands() {
    return kFtpCommands;
}

}  // namespace varnel
