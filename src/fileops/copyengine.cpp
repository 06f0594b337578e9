#include "fileops/copyengine.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>

#include "fileops/partfile.h"
#include "platform/fileio.h"
#include "platform/ftpclient.h"
#include "platform/paths.h"
#include "platform/progress.h"
#include "platform/prompt.h"
#include "remote/ftpnames.h"
#include "remote/ftpsession.h"

namespace varnel {

namespace {

// FTP transfers move 64 KiB per step: small steps cost a call each through the progress
// and the FTP layer, and 2048-byte ones made an upload a tenth slower than curl.
constexpr size_t kChunk = 64 * 1024;
// Local files are read and written through buffers this large, so 2048-byte chunks cost no
// system call each.
constexpr size_t kLocalBuffer = 64 * 1024;
constexpr size_t kLocalCopyBlock = 1024 * 1024;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File openLocal(const std::string& path, const char* mode) {
    File file(std::fopen(path.c_str(), mode));
    if (file) std::setvbuf(file.get(), nullptr, _IOFBF, kLocalBuffer);
    return file;
}

// Closes a descriptor when it goes.
struct Descriptor {
    explicit Descriptor(int f) : fd(f) {}
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    const int fd;
};

// The size the server's listing gives a file, or -1.
int64_t listedSize(FtpConnection& connection, const std::string& serverPath) {
    const size_t slash = serverPath.rfind('/');
    std::vector<FtpEntry> entries;
    if (!connection.list(serverPath.substr(0, slash + 1), entries)) return -1;
    const std::string_view name = std::string_view(serverPath).substr(slash + 1);
    for (const FtpEntry& entry : entries)
        if (!entry.isFolder && entry.name == name) return static_cast<int64_t>(entry.size);
    return -1;
}

std::string_view afterLast(std::string_view path, char separator) {
    size_t at = path.rfind(separator);
    return at == std::string_view::npos ? path : path.substr(at + 1);
}

bool isPlainName(std::string_view name) {
    return !name.empty() && name != "." && name != "..";
}

int64_t steadyMilliseconds() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The status line and the bar move this often, however fast the bytes go.
constexpr int64_t kStatusInterval = 100;

}  // namespace

std::string FormatCopySpeed(uint64_t bytesPerSecond) {
    if (bytesPerSecond < 1000) return std::to_string(bytesPerSecond) + " B/s";
    static const char* const kUnits[] = {"KB/s", "MB/s", "GB/s", "TB/s"};
    double value = static_cast<double>(bytesPerSecond) / 1000.0;
    size_t unit = 0;
    while (value >= 999.95 && unit + 1 < std::size(kUnits)) {
        value /= 1000.0;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %s", value, kUnits[unit]);
    return text;
}

std::string FormatCopyStatus(bool upload, uint64_t totalSize, uint64_t bytesPerSecond,
                             int64_t elapsedSeconds, std::string_view name) {
    char text[160];
    std::snprintf(text, sizeof text, "%.2fM %s %" PRId64 ":%02d%s",
                  static_cast<double>(totalSize) / 1048576.0,
                  FormatCopySpeed(bytesPerSecond).c_str(), elapsedSeconds / 60,
                  static_cast<int>(elapsedSeconds % 60), upload ? "  " : " ");
    return text + std::string(name);
}

CopyEngine::CopyEngine(FtpSession& session, Prompt& prompt, Progress& progress)
    : clock(steadyMilliseconds), session_(session), prompt_(prompt), progress_(progress) {}

bool CopyEngine::RunCopyJob(const CopyJob& job) {
    // Cleared before the worker starts, so a Cancel pressed at once is not lost.
    progress_.clearCancelled();
    bool result = false;
    std::thread worker([&] {
        progress_.setCaption("Copying file...");
        result = CopyFiles(job.destination, job.sources, job.totalSize);
        // The fixed text first, then which file failed and why (the server's reply included).
        if (!result) prompt_.tell("Copy file error!!!" + (lastError_.empty() ? "" : "\n" + lastError_));
        progress_.close();
    });
    progress_.runModal();
    worker.join();
    return result;
}

bool CopyEngine::CopyFiles(const std::string& destination, const std::vector<std::string>& sources,
                           uint64_t totalSize) {
    const std::atomic<bool>* cancel = progress_.cancelFlag();
    lastError_.clear();
    FtpConnection* uploadTo = nullptr;
    if (IsFtpName(destination.c_str())) {
        uploadTo = session_.ConnectFtp(destination, nullptr, cancel);
        if (!uploadTo) {
            fail(Outcome::EndJob, loginError(destination));
            return false;
        }
        uploadTo->setCancelFlag(cancel);
    }
    totalSize_ = totalSize;
    sizeFromServer_ = totalSize == 0;
    moved_ = 0;
    lastMoved_ = 0;
    start_ = lastUpdate_ = clock();
    bool result = true;
    for (const std::string& source : sources) {
        if (progress_.cancelled()) break;
        Outcome outcome = uploadTo                    ? upload(*uploadTo, destination, source)
                          : IsFtpName(source.c_str()) ? download(destination, source)
                                                      : localCopy(destination, source);
        if (outcome == Outcome::EndJob) {
            result = false;
            break;
        }
        if (outcome == Outcome::Failed) result = false;
    }
    if (FtpConnection* connection = session_.transferConnection())
        connection->setCancelFlag(nullptr);
    if (totalSize_ == 0) progress_.setBar(kProgressBarMax);
    return result;
}

CopyEngine::Outcome CopyEngine::upload(FtpConnection& connection, const std::string& destination,
                                       const std::string& source) {
    const std::string_view name = afterLast(source, '/');
    std::string remote = destination;
    if (remote.empty() || remote.back() != '/') remote.push_back('/');
    remote += name;
    // The local file first: opening the server file for writing empties it, and a source
    // that cannot be read must not cost the server its copy.
    File local = openLocal(source, "rb");
    if (!local || !isPlainName(name)) return fail(Outcome::Failed, "Cannot read " + source);
    const std::string serverPath = FtpServerPath(remote);
    std::unique_ptr<FtpFile> file = connection.openFile(serverPath, FtpAccess::Write);
    if (!file) return fail(Outcome::Failed, "Cannot upload " + source + ": " + connection.errorText());
    std::unique_ptr<char[]> chunk(new char[kChunk]);
    char* buffer = chunk.get();
    bool sent = true;
    size_t n = 0;
    do {
        if (progress_.cancelled()) break;
        n = std::fread(buffer, 1, kChunk, local.get());
        if (n > 0 && !file->write(buffer, n)) {
            sent = false;  // refused, or the line broke: this file is not on the server
            break;
        }
        moved(n, true, name);
    } while (n == kChunk);
    const bool wholeFileRead = sent && std::feof(local.get()) && !std::ferror(local.get());
    const bool confirmed = file->close();
    if (sent && wholeFileRead && confirmed) return Outcome::Copied;
    std::string why = progress_.cancelled() ? "Cancelled."
                      : !sent || !confirmed ? connection.errorText()
                                            : "Cannot read " + source;
    // What arrived of it is no copy of the file; the server may let us take it back, also
    // after a Cancel.
    file.reset();
    connection.setCancelFlag(nullptr);
    connection.remove(serverPath);
    connection.setCancelFlag(progress_.cancelFlag());
    return fail(Outcome::Failed, "Cannot upload " + source + " to " + remote + ": " + why);
}

CopyEngine::Outcome CopyEngine::download(const std::string& destination,
                                         const std::string& source) {
    const std::string folder = source.substr(0, source.rfind('/') + 1);
    FtpConnection* connection = session_.ConnectFtp(folder, nullptr, progress_.cancelFlag());
    if (!connection) return fail(Outcome::EndJob, loginError(folder));
    connection->setCancelFlag(progress_.cancelFlag());
    const std::string_view name = afterLast(source, '/');
    if (!isPlainName(name)) return fail(Outcome::Failed, "Not a file name: " + source);
    std::string local = destination;
    if (local.empty() || local.back() != '/') local.push_back('/');
    local += name;
    if (pathExists(local)) {
        std::string question = "Destination  File :\"" + local + "\" already exists, continue?";
        if (prompt_.ask(question, Buttons::YesNo) != Answer::Yes)
            return fail(Outcome::EndJob, "Not replaced: " + local);
    }
    auto failed = [&](const std::string& why) {
        return fail(Outcome::Failed, "Cannot download " + source + ": " + why);
    };
    const std::string serverPath = FtpServerPath(source);
    std::unique_ptr<FtpFile> file = connection->openFile(serverPath, FtpAccess::Read);
    if (!file) return failed(connection->errorText());
    const int64_t announced = file->announcedSize();
    if (sizeFromServer_ && announced > 0) totalSize_ += static_cast<uint64_t>(announced);
    PartFile out(local);
    if (!out.ok()) return failed(out.error());
    std::unique_ptr<char[]> chunk(new char[kChunk]);
    char* buffer = chunk.get();
    bool ok = true;
    int64_t n = 0;
    uint64_t received = 0;
    do {
        if (progress_.cancelled()) {
            ok = false;
            break;
        }
        n = file->read(buffer, kChunk);
        if (n < 0 || !out.write(buffer, static_cast<size_t>(n))) {
            ok = false;
            break;
        }
        received += static_cast<uint64_t>(n);
        moved(static_cast<uint64_t>(n), false, name);
    } while (n == static_cast<int64_t>(kChunk));
    // A short read ends the file; only the server's confirmation says it ended complete.
    const bool confirmed = ok && file->close();
    file.reset();
    if (progress_.cancelled()) return failed("Cancelled.");
    if (!out.ok()) return failed(out.error());
    if (!confirmed) return failed(connection->errorText());
    // Some servers confirm a transfer they cut short; the size they listed tells.
    const int64_t expected = announced >= 0 ? announced : listedSize(*connection, serverPath);
    if (expected >= 0 && received != static_cast<uint64_t>(expected))
        return failed("the server sent " + std::to_string(received) + " of its " +
                      std::to_string(expected) + " bytes");
    if (!out.commit()) return failed(out.error());
    return Outcome::Copied;
}

CopyEngine::Outcome CopyEngine::localCopy(const std::string& destination,
                                          const std::string& source) {
    const std::string_view name = afterLast(source, '/');
    const bool intoFolder = !destination.empty() && destination.back() == '/';
    const std::string target = intoFolder ? destination + std::string(name) : destination;
    auto failed = [&](const std::string& why) {
        return fail(Outcome::Failed, "Cannot copy " + source + " to " + target + ": " + why);
    };
    const Descriptor input(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    const int in = input.fd;
    if (in < 0) return failed(std::strerror(errno));
    struct stat from {};
    if (::fstat(in, &from) != 0 || !S_ISREG(from.st_mode)) return failed("not a file");
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0) {
        // Copying a file onto itself would empty it.
        if (existing.st_dev == from.st_dev && existing.st_ino == from.st_ino)
            return failed("it is the same file");
        if (!intoFolder) return failed("the target exists");
        std::string question = "Destination  File :\"" + target + "\" already exists, continue?";
        if (prompt_.ask(question, Buttons::YesNo) != Answer::Yes)
            return fail(Outcome::EndJob, "Not replaced: " + target);
    }
    PartFile out(target);
    const int fd = out.descriptor();
    if (fd < 0) return failed(out.error());
    // The kernel copies (sharing extents where the file system can); read and write where
    // it cannot between these two files.
    bool kernelCopy = true;
    std::unique_ptr<char[]> buffer;
    while (true) {
        if (progress_.cancelled()) return failed("Cancelled.");
        ssize_t n = -1;
        if (kernelCopy) {
            n = ::copy_file_range(in, nullptr, fd, nullptr, kLocalCopyBlock, 0);
            if (n < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL ||
                          errno == EOPNOTSUPP)) {
                kernelCopy = false;
                buffer.reset(new char[kLocalCopyBlock]);
                continue;
            }
        } else {
            n = ::read(in, buffer.get(), kLocalCopyBlock);
            if (n > 0 && !writeFully(fd, buffer.get(), static_cast<size_t>(n))) n = -1;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return failed(std::strerror(errno));
        if (n == 0) break;
        moved(static_cast<uint64_t>(n), false, name);
    }
    // The catalog compares times: the copy keeps the source's, and its permissions.
    const timespec times[2] = {from.st_atim, from.st_mtim};
    if (::futimens(fd, times) != 0 || ::fchmod(fd, from.st_mode & 07777) != 0)
        return failed(std::strerror(errno));
    if (!out.commit()) return failed(out.error());
    return Outcome::Copied;
}

std::string CopyEngine::loginError(const std::string& url) const {
    const std::string& why = session_.lastFtpError();
    return why.empty() ? "Not logged in to " + url : why;
}

CopyEngine::Outcome CopyEngine::fail(Outcome outcome, const std::string& why) {
    if (lastError_.empty()) lastError_ = why;
    return outcome;
}

void CopyEngine::moved(uint64_t bytes, bool upload, std::string_view name) {
    moved_ += bytes;
    const int64_t now = clock();
    const int64_t interval = now - lastUpdate_;
    if (interval < kStatusInterval) return;
    const uint64_t speed = (moved_ - lastMoved_) * 1000 / static_cast<uint64_t>(interval);
    lastMoved_ = moved_;
    lastUpdate_ = now;
    progress_.setStatus(FormatCopyStatus(upload, totalSize_, speed, (now - start_) / 1000, name));
    if (totalSize_ > 0) {
        uint64_t bar = moved_ * kProgressBarMax / totalSize_;
        progress_.setBar(static_cast<int>(std::min<uint64_t>(bar, kProgressBarMax)));
    }
}

}  // namespace varnel
