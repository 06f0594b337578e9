#include "catalog/workspace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <limits>
#include <utility>

#include "catalog/bytestream.h"
#include "platform/atomicfile.h"
#include "platform/filetime.h"
#include "platform/programdir.h"

namespace varnel {

namespace {

// A well-formed cfg.dat is about 41 KB; anything past this is not read, so a huge or
// endless file cannot exhaust memory. Rows beyond it keep their defaults.
constexpr size_t kMaxSettingsFileSize = 1 << 20;

// A u32 byte count n and the n bytes after it; false when the bytes do not hold them all.
bool readText(MemorySource& in, std::string& out) {
    uint32_t n = 0;
    if (!in.readU32(n) || n > in.remaining()) return false;
    out.resize(n);
    return in.read(out.data(), n);
}

void writeText(StringSink& out, std::string_view bytes) {
    out.writeU32(static_cast<uint32_t>(bytes.size()));
    out.write(bytes.data(), bytes.size());
}

// A NUL-ended text read into a buffer of `buffer` bytes: up to its first NUL, and short
// enough that the NUL still fits.
std::string_view cText(std::string_view bytes, size_t buffer) {
    bytes = bytes.substr(0, buffer - 1);
    return bytes.substr(0, bytes.find('\0'));
}

// A NUL-separated list cut to its buffer. A cut would leave the last entry half there,
// naming another folder or host than was meant, so it goes back to the last whole entry.
std::string_view cutList(std::string_view bytes, size_t buffer) {
    if (bytes.size() <= buffer) return bytes;
    bytes = bytes.substr(0, buffer);
    size_t lastNul = bytes.rfind('\0');
    return lastNul == std::string_view::npos ? std::string_view() : bytes.substr(0, lastNul + 1);
}

// How many of the first `wanted` entries (three NUL-ended texts each) the block holds whole.
int32_t wholeSavedSearches(const SavedSearchBlock& block, int32_t wanted) {
    const char* p = block.data();
    const char* end = block.data() + block.size();
    int32_t whole = 0;
    while (whole < wanted) {
        for (int text = 0; text < 3; ++text) {
            const void* nul = std::memchr(p, '\0', static_cast<size_t>(end - p));
            if (!nul) return whole;
            p = static_cast<const char*>(nul) + 1;
        }
        ++whole;
    }
    return whole;
}

std::string readSettingsFile(const std::string& path) {
    std::string bytes;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return bytes;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return bytes;
    }
    bytes.resize(kMaxSettingsFileSize);
    size_t filled = 0;
    while (filled < bytes.size()) {
        ssize_t n = ::read(fd, bytes.data() + filled, bytes.size() - filled);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        filled += static_cast<size_t>(n);
    }
    ::close(fd);
    bytes.resize(filled);
    return bytes;
}

}  // namespace

WorkspacePaths workspacePaths(const std::string& programDir) {
    WorkspacePaths p;
    p.programDir = programDir;
    p.settingsFile = programDir + "/cfg.dat";
    p.shareFolder = programDir + "/share/";
    p.defaultCatalog = programDir + "/save.fdb";
    p.backupCatalog = programDir + "/backup.fdb";
    p.timeStampFile = programDir + "/tmp";
    p.resultPage = programDir + "/4.html";
    return p;
}

SavedSearchBlock builtInSavedSearchBlock() {
    // Name, pattern list and folder of each entry; "Softwares " keeps its trailing blank.
    static constexpr std::string_view kEntries[][3] = {
        {"Softwares ", "*.zip,*.rar,*.exe", ""},
        {"MultiMedia files", "*.mpg,*.avi,*.rm*,*.mpeg", ""},
        {"Music files", "*.mp3,*.wav", ""},
        {"Html documents", "*.htm,*.html,*.xml", ""},
    };
    SavedSearchBlock block{};
    size_t pos = 0;
    for (const auto& entry : kEntries) {
        for (std::string_view text : entry) {
            std::memcpy(block.data() + pos, text.data(), text.size());
            pos += text.size() + 1;  // the zeroed block supplies the NUL
        }
    }
    return block;
}

int parseSettings(std::string_view bytes, Settings& out) {
    MemorySource in(bytes);
    int rows = 0;
    int32_t number = 0;
    std::string text;

    if (!in.readI32(number)) return rows;
    if (number > 0) out.initialColumnCapacity = number;
    ++rows;
    if (!in.readI32(number)) return rows;
    // The result page lays out this many searches per row; 0 would divide by zero.
    if (number > 0) out.pageColumnCount = number;
    ++rows;

    if (!readText(in, text)) return rows;
    out.shareAccountName = cText(text, kShareNameBuffer);
    ++rows;
    if (!readText(in, text)) return rows;
    out.shareAccountPassword = cText(text, kSharePasswordBuffer);
    ++rows;
    for (std::string& reserved : out.reservedTexts) {
        if (!readText(in, text)) return rows;
        reserved = text.substr(0, kReservedTextBuffer);
        ++rows;
    }
    if (!readText(in, text)) return rows;
    out.watchedFolders = cutList(text, kWatchedFoldersBuffer);
    ++rows;
    if (!in.read(out.reservedBytes.data(), out.reservedBytes.size())) return rows;
    ++rows;

    // The count means nothing without its block, so both are taken or neither.
    SavedSearchBlock block;
    if (!in.readI32(number) || !in.read(block.data(), block.size())) return rows;
    out.savedSearchBlock = block;
    out.savedSearchCount = number < 0 ? 0 : wholeSavedSearches(block, number);
    rows += 2;

    for (std::string* list : {&out.addressHistory, &out.loginHosts, &out.loginUsers,
                              &out.loginPasswords, &out.recentCatalogs}) {
        if (!readText(in, text)) return rows;
        *list = cutList(text, kNameListBuffer);
        ++rows;
    }
    return rows;
}

std::string encodeSettings(const Settings& s, int32_t masterRecordCount) {
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    int32_t capacity = masterRecordCount <= 0         ? 0
                       : masterRecordCount > kMax / 2 ? kMax
                                                      : 2 * masterRecordCount;

    StringSink out;
    out.bytes.reserve(48 * 1024);
    out.writeI32(capacity);
    out.writeI32(s.pageColumnCount);
    // The name and password are written with their NUL.
    for (auto [value, buffer] : {std::pair{&s.shareAccountName, kShareNameBuffer},
                                 std::pair{&s.shareAccountPassword, kSharePasswordBuffer}}) {
        std::string withNul(cText(*value, buffer));
        withNul.push_back('\0');
        writeText(out, withNul);
    }
    for (const std::string& reserved : s.reservedTexts) {
        writeText(out, std::string_view(reserved).substr(0, kReservedTextBuffer));
    }
    writeText(out, cutList(s.watchedFolders, kWatchedFoldersBuffer));
    out.write(s.reservedBytes.data(), s.reservedBytes.size());
    out.writeI32(s.savedSearchCount);
    out.write(s.savedSearchBlock.data(), s.savedSearchBlock.size());
    for (const std::string* list :
         {&s.addressHistory, &s.loginHosts, &s.loginUsers, &s.loginPasswords, &s.recentCatalogs}) {
        writeText(out, cutList(*list, kNameListBuffer));
    }
    return std::move(out.bytes);
}

std::string fixedDriveListText(const std::vector<std::string>& roots) {
    std::string list;
    for (std::string root : roots) {
        if (root.empty() || root.find(',') != std::string::npos) continue;
        if (root.back() != '/') root.push_back('/');
        size_t grown = list.size() + (list.empty() ? 0 : 1) + root.size();
        if (grown > kFolderTextBuffer - 1) continue;
        if (!list.empty()) list.push_back(',');
        list += root;
    }
    return list;
}

Workspace::Workspace(const std::string& programDir)
    : Workspace(programDir, localFileSystemRoots()) {}

Workspace::Workspace(const std::string& programDir, const std::vector<std::string>& localRoots)
    : paths_(workspacePaths(programDir)) {
    for (const std::string& root : localRoots) {
        if (root.empty()) continue;
        driveRoots_.push_back(root.back() == '/' ? root : root + '/');
    }
    fixedDriveList_ = fixedDriveListText(driveRoots_);
    scanFolders_ = fixedDriveList_;
    excludeFolders_.clear();
    // A missing, unreadable or empty file leaves the defaults, without a message.
    parseSettings(readSettingsFile(paths_.settingsFile), settings_);
}

bool Workspace::saveSettings(int32_t masterRecordCount) {
    lastError_ = writeFileAtomically(paths_.settingsFile,
                                     encodeSettings(settings_, masterRecordCount), 0600);
    return lastError_.empty();
}

uint64_t Workspace::currentFileTime() const {
    // O_NONBLOCK and O_NOFOLLOW: a pipe or a link planted under that name must neither
    // hang the program nor empty some other file.
    int fd = ::open(paths_.timeStampFile.c_str(),
                    O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW, 0644);
    if (fd < 0) return systemFileTime();
    // Truncating an already empty file need not touch its times; this always does.
    struct stat st {};
    bool stamped = ::futimens(fd, nullptr) == 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ::close(fd);
    return stamped ? fileTimeFromTimespec(st.st_mtim) : systemFileTime();
}

}  // namespace varnel
