// The FTP client over libcurl. Each connection owns one easy handle inside its own multi
// handle: the multi handle keeps the control connection alive between operations, and
// driving it ourselves turns libcurl's callbacks into the pull-style reads and writes the
// copy engine wants, with a cancel check between network waits.

#include <algorithm>
#include <cstring>
#include <functional>

#include "platform/curlapi.h"
#include "platform/filetime.h"
#include "platform/ftpclient.h"
#include "platform/ftplisting.h"

namespace varnel {

namespace {

// The loaded library; connect() has made sure it is there before any connection exists.
const CurlApi& curl() {
    return *loadCurl();
}

// Bytes gathered before they go to the server, and at most held back from the reader: every
// batch costs a pause and a resume of the transfer, so they are large.
constexpr size_t kSendBatch = 4 * 1024 * 1024;
constexpr size_t kReceiveLimit = 1024 * 1024;
// A listing larger than this is not a folder anyone can browse.
constexpr size_t kMaxListingBytes = 64 * 1024 * 1024;
constexpr long kCurlBufferSize = 1024 * 1024;

// Characters a host (with its port) may hold; anything else could change which server
// the URL names ("user@other-host", "host/path").
bool isPlainHost(std::string_view host) {
    if (host.empty()) return false;
    for (char c : host) {
        bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                  c == '.' || c == '-' || c == '_' || c == ':' || c == '[' || c == ']';
        if (!ok) return false;
    }
    return true;
}

class CurlFtpConnection;

class CurlFtpFile : public FtpFile {
  public:
    CurlFtpFile(CurlFtpConnection& connection, FtpAccess access)
        : connection_(connection), access_(access) {}
    ~CurlFtpFile() override;
    int64_t read(char* buffer, size_t size) override;
    bool write(const char* data, size_t size) override;
    bool close() override;
    int64_t announcedSize() const override;

  private:
    CurlFtpConnection& connection_;
    FtpAccess access_;
    bool closed_ = false;
};

class CurlFtpConnection : public FtpConnection {
  public:
    CurlFtpConnection(std::string host, FtpLogin login)
        : host_(std::move(host)), login_(std::move(login)) {
        easy_ = curl().easy_init();
        multi_ = curl().multi_init();
    }
    ~CurlFtpConnection() override {
        endTransfer();
        if (easy_) curl().easy_cleanup(easy_);
        if (multi_) curl().multi_cleanup(multi_);
    }

    bool valid() const { return easy_ && multi_; }

    // What kind of failure the last operation ended with.
    FtpConnectError::Kind failureKind() const {
        switch (result_) {
            case CURLE_OK:
                return FtpConnectError::Kind::None;
            case CURLE_LOGIN_DENIED:
                return FtpConnectError::Kind::LoginRefused;
            case CURLE_COULDNT_RESOLVE_HOST:
            case CURLE_COULDNT_CONNECT:
            case CURLE_OPERATION_TIMEDOUT:
            case CURLE_WEIRD_SERVER_REPLY:
            case CURLE_GOT_NOTHING:
                return FtpConnectError::Kind::Unreachable;
            default:
                return FtpConnectError::Kind::Other;
        }
    }

    // Logs in and learns what the server offers.
    bool logIn() {
        prepare(baseUrl());
        curl().easy_setopt(easy_, CURLOPT_NOBODY, 1L);
        features_.clear();
        collectingFeatures_ = true;
        bool ok = runCommands({"*FEAT"});
        collectingFeatures_ = false;
        if (!ok) return false;
        mlsd_ = hasFeature("MLST");
        if (hasFeature("UTF8")) {
            // Names are bytes to us; this only asks the server not to translate them.
            prepare(baseUrl());
            curl().easy_setopt(easy_, CURLOPT_NOBODY, 1L);
            return runCommands({"*OPTS UTF8 ON"});
        }
        return true;
    }

    const std::string& serverName() const override { return host_; }
    const std::string& errorText() const override { return errorText_; }
    void setCancelFlag(const std::atomic<bool>* flag) override { cancel_ = flag; }

    bool list(std::string_view folderPath, std::vector<FtpEntry>& entries) override {
        entries.clear();
        if (!checkPath(folderPath)) return false;
        std::string folder(folderPath);
        if (folder.back() != '/') folder.push_back('/');
        prepare(urlOf(folder));
        if (mlsd_) curl().easy_setopt(easy_, CURLOPT_CUSTOMREQUEST, "MLSD");
        collectWhole_ = true;
        bool ok = perform();
        collectWhole_ = false;
        std::string text;
        text.swap(incoming_);
        if (!ok) return false;
        ParsedListing parsed =
            mlsd_ ? parseMlsdListing(text) : parseListListing(text, systemFileTime());
        if (!parsed.readable()) {
            errorText_ = "The folder listing from " + host_ + " could not be read.";
            return false;
        }
        entries = std::move(parsed.entries);
        // A link says nothing of what it leads to: it is a folder when we can change into it.
        for (FtpEntry& entry : entries)
            if (entry.isLink) entry.isFolder = isFolder(folder + entry.name);
        return true;
    }

    // Changes into `path` as a folder (libcurl's own CWD, so it knows where it stands).
    bool isFolder(const std::string& path) {
        if (!isSendableServerPath(path)) return false;
        prepare(urlOf(path + "/"));
        curl().easy_setopt(easy_, CURLOPT_NOBODY, 1L);
        const bool ok = perform();
        errorText_.clear();
        return ok;
    }

    std::unique_ptr<FtpFile> openFile(std::string_view path, FtpAccess access) override {
        if (!checkPath(path) || path.back() == '/') {
            if (errorText_.empty()) errorText_ = "Not a file name: " + std::string(path);
            return nullptr;
        }
        prepare(urlOf(path));
        if (access == FtpAccess::Write) {
            curl().easy_setopt(easy_, CURLOPT_UPLOAD, 1L);
            curl().easy_setopt(easy_, CURLOPT_READFUNCTION, &CurlFtpConnection::onSend);
            curl().easy_setopt(easy_, CURLOPT_READDATA, this);
        }
        beginTransfer();
        // Open means the server accepted the RETR or STOR: data flows, or the file ended.
        pump([&] { return sendStarted_ || incoming_.size() > incomingPos_; });
        if (done_ && result_ != CURLE_OK) {
            endTransfer();
            return nullptr;
        }
        return std::make_unique<CurlFtpFile>(*this, access);
    }

    bool remove(std::string_view path) override {
        if (!checkPath(path)) return false;
        prepare(baseUrl());
        curl().easy_setopt(easy_, CURLOPT_NOBODY, 1L);
        return runCommands({"DELE " + std::string(path)});
    }

    bool rename(std::string_view from, std::string_view to) override {
        if (!checkPath(from) || !checkPath(to)) return false;
        prepare(baseUrl());
        curl().easy_setopt(easy_, CURLOPT_NOBODY, 1L);
        return runCommands({"RNFR " + std::string(from), "RNTO " + std::string(to)});
    }

    // ---- the open file's side -----------------------------------------------------------
    int64_t readChunk(char* buffer, size_t size) {
        size_t filled = 0;
        while (true) {
            size_t take = std::min(size - filled, incoming_.size() - incomingPos_);
            std::memcpy(buffer + filled, incoming_.data() + incomingPos_, take);
            incomingPos_ += take;
            filled += take;
            if (incomingPos_ == incoming_.size()) {
                incoming_.clear();
                incomingPos_ = 0;
            }
            if (filled == size) return static_cast<int64_t>(filled);
            if (done_) {
                if (filled > 0) return static_cast<int64_t>(filled);
                return result_ == CURLE_OK ? 0 : -1;
            }
            if (receivePaused_) {
                receivePaused_ = false;
                curl().easy_pause(easy_, CURLPAUSE_CONT);
            }
            pump(
                [&] { return incoming_.size() - incomingPos_ >= size - filled || receivePaused_; });
        }
    }

    bool writeChunk(const char* data, size_t size) {
        if (done_) return false;  // the server ended the transfer: refused, or the line broke
        outgoing_.append(data, size);
        return outgoing_.size() - outgoingPos_ < kSendBatch || flushOutgoing();
    }

    // Ends the transfer: for an upload, sends what is left and the end of the file.
    bool finishFile(FtpAccess access) {
        if (access == FtpAccess::Write && !done_) {
            sendEnd_ = true;
            flushOutgoing();
        }
        bool complete = done_ && result_ == CURLE_OK;
        if (!done_) setError("The transfer was abandoned before it ended.");
        endTransfer();
        return complete;
    }

    void abandonFile() { endTransfer(); }

    int64_t announcedSize() const {
        curl_off_t length = -1;
        if (curl().easy_getinfo(easy_, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) != CURLE_OK)
            return -1;
        return length >= 0 ? static_cast<int64_t>(length) : -1;
    }

  private:
    std::string baseUrl() const { return "ftp://" + host_ + "/"; }

    // The URL of an absolute server path: "%2F" makes libcurl change to the folder from the
    // server's root rather than from the folder it logged in to.
    std::string urlOf(std::string_view path) const {
        std::string url = "ftp://" + host_ + "/%2F";
        path.remove_prefix(1);
        while (true) {
            size_t slash = path.find('/');
            std::string_view segment = path.substr(0, slash);
            char* escaped =
                curl().easy_escape(easy_, segment.data(), static_cast<int>(segment.size()));
            if (escaped) url += escaped;
            curl().free(escaped);
            if (slash == std::string_view::npos) break;
            url += '/';
            path.remove_prefix(slash + 1);
        }
        return url;
    }

    bool checkPath(std::string_view path) {
        errorText_.clear();
        if (isSendableServerPath(path)) return true;
        errorText_ = "Not a server path that can be sent: " + std::string(path.substr(0, 200));
        return false;
    }

    void setError(std::string text) { errorText_ = std::move(text); }

    // Fresh options for the next operation; the connection itself stays open.
    void prepare(const std::string& url) {
        curl().easy_reset(easy_);
        errorBuffer_[0] = '\0';
        errorText_.clear();
        lastErrorReply_.clear();
        curl().easy_setopt(easy_, CURLOPT_URL, url.c_str());
        curl().easy_setopt(easy_, CURLOPT_PROTOCOLS_STR, "ftp");
        curl().easy_setopt(easy_, CURLOPT_ERRORBUFFER, errorBuffer_);
        curl().easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L);
        curl().easy_setopt(easy_, CURLOPT_CONNECTTIMEOUT, 20L);
        curl().easy_setopt(easy_, CURLOPT_SERVER_RESPONSE_TIMEOUT, 60L);
        // A server that sends nothing for a minute has gone.
        curl().easy_setopt(easy_, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl().easy_setopt(easy_, CURLOPT_LOW_SPEED_TIME, 60L);
        curl().easy_setopt(easy_, CURLOPT_TCP_KEEPALIVE, 1L);
        curl().easy_setopt(easy_, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_SINGLECWD));
        curl().easy_setopt(easy_, CURLOPT_BUFFERSIZE, kCurlBufferSize);
        curl().easy_setopt(easy_, CURLOPT_UPLOAD_BUFFERSIZE, kCurlBufferSize);
        curl().easy_setopt(easy_, CURLOPT_HEADERFUNCTION, &CurlFtpConnection::onReply);
        curl().easy_setopt(easy_, CURLOPT_HEADERDATA, this);
        curl().easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &CurlFtpConnection::onReceive);
        curl().easy_setopt(easy_, CURLOPT_WRITEDATA, this);
        if (!login_.anonymous) {
            curl().easy_setopt(easy_, CURLOPT_USERNAME, login_.user.c_str());
            curl().easy_setopt(easy_, CURLOPT_PASSWORD, login_.password.c_str());
        }
    }

    // Quote commands run after the login and before any change of folder.
    bool runCommands(std::initializer_list<std::string> commands) {
        curl_slist* list = nullptr;
        for (const std::string& command : commands) list = curl().slist_append(list, command.c_str());
        curl().easy_setopt(easy_, CURLOPT_QUOTE, list);
        bool ok = perform();
        curl().easy_setopt(easy_, CURLOPT_QUOTE, nullptr);
        curl().slist_free_all(list);
        return ok;
    }

    bool perform() {
        beginTransfer();
        pump(nullptr);
        bool ok = done_ && result_ == CURLE_OK;
        endTransfer();
        return ok;
    }

    void beginTransfer() {
        done_ = false;
        result_ = CURLE_OK;
        incoming_.clear();
        incomingPos_ = 0;
        outgoing_.clear();
        outgoingPos_ = 0;
        receivePaused_ = sendPaused_ = sendStarted_ = sendEnd_ = false;
        added_ = curl().multi_add_handle(multi_, easy_) == CURLM_OK;
        if (!added_) finishWith(CURLE_OUT_OF_MEMORY);
    }

    void endTransfer() {
        if (added_) curl().multi_remove_handle(multi_, easy_);
        added_ = false;
    }

    void finishWith(CURLcode result) {
        done_ = true;
        result_ = result;
        if (result == CURLE_OK) return;
        std::string text = errorBuffer_[0] ? errorBuffer_ : curl().easy_strerror(result);
        if (result == CURLE_ABORTED_BY_CALLBACK) text = "Cancelled.";
        if (!lastErrorReply_.empty()) text += " (the server said: " + lastErrorReply_ + ")";
        if (errorText_.empty()) errorText_ = text;
    }

    // Drives the transfer until `ready` holds, it ends, or the cancel flag is raised.
    void pump(const std::function<bool()>& ready) {
        while (!done_) {
            int running = 0;
            CURLMcode code = curl().multi_perform(multi_, &running);
            int left = 0;
            while (CURLMsg* message = curl().multi_info_read(multi_, &left))
                if (message->msg == CURLMSG_DONE) finishWith(message->data.result);
            if (done_) return;
            if (code != CURLM_OK) {
                finishWith(CURLE_FAILED_INIT);
                return;
            }
            if (ready && ready()) return;
            if (cancel_ && cancel_->load(std::memory_order_acquire)) {
                finishWith(CURLE_ABORTED_BY_CALLBACK);
                endTransfer();
                return;
            }
            curl().multi_poll(multi_, nullptr, 0, 100, nullptr);
        }
    }

    bool flushOutgoing() {
        while (!done_ && (outgoingPos_ < outgoing_.size() || sendEnd_)) {
            if (sendPaused_) {
                sendPaused_ = false;
                curl().easy_pause(easy_, CURLPAUSE_CONT);
            }
            pump([&] { return sendPaused_; });
            if (sendPaused_ && outgoingPos_ == outgoing_.size() && !sendEnd_) break;
        }
        outgoing_.clear();
        outgoingPos_ = 0;
        return !done_ || (sendEnd_ && result_ == CURLE_OK);
    }

    bool hasFeature(std::string_view name) const {
        size_t at = 0;
        while ((at = features_.find(name, at)) != std::string::npos) {
            bool starts = at > 0 && features_[at - 1] == ' ';
            size_t end = at + name.size();
            bool ends = end == features_.size() || features_[end] == ' ' || features_[end] == '\n';
            if (starts && ends) return true;
            at = end;
        }
        return false;
    }

    static size_t onReply(char* data, size_t size, size_t count, void* self) {
        auto* c = static_cast<CurlFtpConnection*>(self);
        std::string_view line(data, size * count);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
        if (c->collectingFeatures_ && !line.empty() && line[0] == ' ') {
            c->features_.append(line.data(), line.size());
            c->features_ += '\n';
        }
        if (line.size() >= 3 && (line[0] == '4' || line[0] == '5'))
            c->lastErrorReply_ = std::string(line.substr(0, 200));
        return size * count;
    }

    static size_t onReceive(char* data, size_t size, size_t count, void* self) {
        auto* c = static_cast<CurlFtpConnection*>(self);
        const size_t n = size * count;
        if (c->collectWhole_) {
            if (c->incoming_.size() + n > kMaxListingBytes) {
                c->errorText_ = "The folder listing from " + c->host_ + " is too large.";
                return 0;
            }
        } else if (c->incoming_.size() - c->incomingPos_ >= kReceiveLimit) {
            c->receivePaused_ = true;
            return CURL_WRITEFUNC_PAUSE;
        }
        c->incoming_.append(data, n);
        return n;
    }

    static size_t onSend(char* buffer, size_t size, size_t count, void* self) {
        auto* c = static_cast<CurlFtpConnection*>(self);
        c->sendStarted_ = true;
        size_t n = std::min(size * count, c->outgoing_.size() - c->outgoingPos_);
        if (n == 0) {
            if (c->sendEnd_) return 0;
            c->sendPaused_ = true;
            return CURL_READFUNC_PAUSE;
        }
        std::memcpy(buffer, c->outgoing_.data() + c->outgoingPos_, n);
        c->outgoingPos_ += n;
        return n;
    }

    std::string host_;
    FtpLogin login_;
    CURL* easy_ = nullptr;
    CURLM* multi_ = nullptr;
    char errorBuffer_[CURL_ERROR_SIZE] = {};
    std::string errorText_;
    std::string lastErrorReply_;
    std::string features_;
    bool collectingFeatures_ = false;
    bool mlsd_ = false;
    const std::atomic<bool>* cancel_ = nullptr;

    // The transfer under way.
    bool added_ = false;
    bool done_ = true;
    CURLcode result_ = CURLE_OK;
    bool collectWhole_ = false;
    std::string incoming_;
    size_t incomingPos_ = 0;
    bool receivePaused_ = false;
    std::string outgoing_;
    size_t outgoingPos_ = 0;
    bool sendPaused_ = false;
    bool sendStarted_ = false;
    bool sendEnd_ = false;
};

CurlFtpFile::~CurlFtpFile() {
    if (!closed_) connection_.abandonFile();
}

int64_t CurlFtpFile::read(char* buffer, size_t size) {
    if (closed_ || access_ != FtpAccess::Read) return -1;
    return connection_.readChunk(buffer, size);
}

bool CurlFtpFile::write(const char* data, size_t size) {
    if (closed_ || access_ != FtpAccess::Write) return false;
    return connection_.writeChunk(data, size);
}

int64_t CurlFtpFile::announcedSize() const {
    return access_ == FtpAccess::Read ? connection_.announcedSize() : -1;
}

bool CurlFtpFile::close() {
    if (closed_) return false;
    closed_ = true;
    return connection_.finishFile(access_);
}

class CurlFtpClient : public FtpClient {
  public:
    std::unique_ptr<FtpConnection> connect(const std::string& host, const FtpLogin& login,
                                           FtpConnectError& error,
                                           const std::atomic<bool>* cancel) override {
        error = FtpConnectError{};
        std::string why;
        if (!loadCurl(&why)) {
            error = {FtpConnectError::Kind::Other, why};
            return nullptr;
        }
        if (!isPlainHost(host)) {
            // "user:password@host" must not show the password.
            const size_t at = host.rfind('@');
            const std::string shown = at == std::string::npos ? host : "***" + host.substr(at);
            error = {FtpConnectError::Kind::Other, "Not a host name: " + shown.substr(0, 200)};
            return nullptr;
        }
        auto connection = std::make_unique<CurlFtpConnection>(host, login);
        if (!connection->valid()) {
            error = {FtpConnectError::Kind::Other, "Out of memory for an FTP connection."};
            return nullptr;
        }
        connection->setCancelFlag(cancel);
        if (!connection->logIn()) {
            error = {connection->failureKind(), connection->errorText()};
            return nullptr;
        }
        connection->setCancelFlag(nullptr);
        return connection;
    }
};

}  // namespace

std::unique_ptr<FtpClient> makeCurlFtpClient() {
    return std::make_unique<CurlFtpClient>();
}

bool isSendableServerPath(std::string_view path) {
    return !path.empty() && path[0] == '/' &&
           path.find_first_of(std::string_view("\0\r\n", 3)) == std::string_view::npos;
}

}  // namespace varnel
