#pragma once
// The FTP operations the core needs, behind one small interface so that tests can put a
// fault-injecting wrapper between the core and the real client (see faultyftp.h).
//
// Server paths are absolute ("/pub/file.zip"), whatever folder the server logs in to. Names
// are bytes and travel unchanged. Failures are return values; errorText() says why.
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace varnel {

struct FtpEntry {
    std::string name;
    bool isFolder = false;
    uint64_t size = 0;
    uint64_t lastWriteTime = 0;  // file time, UTC; 0 when the server gave none
    // A symbolic link in a LIST listing; list() has already decided whether it leads to a
    // folder.
    bool isLink = false;
    // Where such a link leads, as the listing says ("name -> target"); empty for other entries.
    std::string linkTarget{};
    // The MLSD "unique" fact: the same for every name of one folder, so a folder reached
    // again through a link can be told. Empty when the server gives none.
    std::string unique{};
    bool operator==(const FtpEntry&) const = default;
};

enum class FtpAccess { Read, Write };

// One open server file, read or written in chunks. Lives no longer than its connection, and
// while it is open the connection does nothing else.
class FtpFile {
  public:
    virtual ~FtpFile() = default;  // abandons an unfinished transfer
    // Fills `buffer` completely unless the file ends first; 0 at the end, -1 when the
    // transfer failed or was cancelled.
    virtual int64_t read(char* buffer, size_t size) = 0;
    // False when the server refused the data or the connection broke.
    virtual bool write(const char* data, size_t size) = 0;
    // Ends the transfer; true only when the server confirmed it complete.
    virtual bool close() = 0;
    // The size the server announced for a download before sending it (its SIZE reply); -1
    // when it gave none, as some servers do.
    virtual int64_t announcedSize() const { return -1; }
};

// A logged-in connection to one host, reused for every operation on that host.
class FtpConnection {
  public:
    virtual ~FtpConnection() = default;
    // The host as it was given to connect(), port included ("host:2121").
    virtual const std::string& serverName() const = 0;
    // The folder's entries, "." and ".." left out; an empty folder gives an empty list.
    virtual bool list(std::string_view folderPath, std::vector<FtpEntry>& entries) = 0;
    virtual std::unique_ptr<FtpFile> openFile(std::string_view path, FtpAccess access) = 0;
    virtual bool remove(std::string_view path) = 0;
    virtual bool rename(std::string_view from, std::string_view to) = 0;
    // Why the last failed call failed, with the server's reply when it sent one.
    virtual const std::string& errorText() const = 0;
    // While set, every wait on the network gives up within a moment of *flag becoming true.
    virtual void setCancelFlag(const std::atomic<bool>* flag) = 0;
};

// Why connect() failed.
struct FtpConnectError {
    enum class Kind { None, LoginRefused, Unreachable, Other };
    Kind kind = Kind::None;
    std::string text;  // in the FTP layer's words, with the server's reply when it sent one
    bool loginRefused() const { return kind == Kind::LoginRefused; }
};

struct FtpLogin {
    bool anonymous = true;  // the client's own anonymous login; user and password unused
    std::string user;
    std::string password;
};

class FtpClient {
  public:
    virtual ~FtpClient() = default;
    // Connects (passive mode) and logs in. `host` may carry a port ("host:2121"; 21 when
    // left out). Null, with `error` set, when the server cannot be reached, refuses the
    // login or `cancel` became true.
    virtual std::unique_ptr<FtpConnection> connect(const std::string& host, const FtpLogin& login,
                                                   FtpConnectError& error,
                                                   const std::atomic<bool>* cancel = nullptr) = 0;
};

// The libcurl client. Call it on one thread before any other thread uses FTP.
std::unique_ptr<FtpClient> makeCurlFtpClient();

// Whether `path` can be sent to a server: absolute, and free of NUL, CR and LF (which would
// end the command line and start another).
bool isSendableServerPath(std::string_view path);

}  // namespace varnel
