#include "fileops/previewcopy.h"

#include <memory>

#include "fileops/partfile.h"
#include "remote/ftpnames.h"
#include "remote/ftpsession.h"
#include "remote/mirrorpaths.h"

namespace varnel {

namespace {
constexpr size_t kChunk = 256 * 1024;
}  // namespace

bool PreviewCopyPath(const std::string& programDir, std::string_view url, std::string& path) {
    std::string name(url);
    if (!IsFtpUrl(name) || name.back() == '/') return false;
    SwapFtpSeparators(name);
    return MirrorPathOf(programDir, name, path);
}

bool FetchPreviewCopy(FtpClient& client, const PreviewCopyRequest& request,
                      const std::atomic<bool>* cancel, std::string& localPath, std::string& error) {
    localPath.clear();
    auto failed = [&](const std::string& why) {
        error = "Cannot fetch " + request.url + ": " + why;
        return false;
    };
    std::string target, host;
    if (!PreviewCopyPath(request.programDir, request.url, target) ||
        !FtpHostFromUrl(request.url.c_str(), host))
        return failed("not a file on an FTP site");
    std::string folderName = request.url.substr(0, request.url.rfind('/') + 1);
    SwapFtpSeparators(folderName);
    std::string folder;
    if (!MakeMirrorFolders(request.programDir, folderName, folder))
        return failed("cannot make the folder " + folder);

    FtpConnectError connectError;
    std::unique_ptr<FtpConnection> connection =
        client.connect(host, request.login, connectError, cancel);
    if (!connection) return failed(connectError.text);
    connection->setCancelFlag(cancel);
    std::unique_ptr<FtpFile> file =
        connection->openFile(FtpServerPath(request.url), FtpAccess::Read);
    if (!file) return failed(connection->errorText());
    const int64_t announced = file->announcedSize();
    auto tooLarge = [&] {
        return failed("larger than " + std::to_string(request.sizeLimit) + " bytes");
    };
    if (announced > 0 && static_cast<uint64_t>(announced) > request.sizeLimit) return tooLarge();

    PartFile out(target);
    if (!out.ok()) return failed(out.error());
    std::unique_ptr<char[]> buffer(new char[kChunk]);
    uint64_t received = 0;
    int64_t n = 0;
    do {
        n = file->read(buffer.get(), kChunk);
        if (n < 0) return failed(connection->errorText());
        received += static_cast<uint64_t>(n);
        if (received > request.sizeLimit) return tooLarge();
        if (!out.write(buffer.get(), static_cast<size_t>(n))) return failed(out.error());
    } while (n == static_cast<int64_t>(kChunk));
    if (!file->close()) return failed(connection->errorText());
    // A server may call a transfer complete that it cut short; the size it announced tells.
    if (announced >= 0 && received != static_cast<uint64_t>(announced))
        return failed("the server sent " + std::to_string(received) + " of its " +
                      std::to_string(announced) + " bytes");
    if (!out.commit()) return failed(out.error());
    localPath = target;
    return true;
}

}  // namespace varnel
