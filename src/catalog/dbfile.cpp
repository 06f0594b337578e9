#include "catalog/dbfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <thread>
#include <vector>

#include "catalog/dbformat.h"
#include "catalog/duplicates.h"
#include "catalog/tables.h"
#include "platform/atomicfile.h"
#include "platform/filetime.h"
#include "platform/paths.h"

namespace varnel {

namespace {

// Adapts the atomic writer to the encoder.
class AtomicFileSink : public ByteSink {
  public:
    explicit AtomicFileSink(AtomicFile& file) : file_(file) {}
    bool write(const void* data, size_t size) override { return file_.write(data, size); }

  private:
    AtomicFile& file_;
};

std::string siblingPath(const std::string& path, const char* name) {
    size_t slash = path.rfind('/');
    return (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + name;
}

std::string timeStampSuffix() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

constexpr int kExportFailureLimit = 128;
constexpr size_t kCopyChunk = 2048;

}  // namespace

CatalogDatabase::CatalogDatabase(Catalog& catalog, Prompt& prompt, std::string defaultCatalogPath)
    : initialColumnCapacity(kDefaultColumnCapacity),
      currentFileTime(systemFileTime),
      clockSeconds([] { return static_cast<int64_t>(std::time(nullptr)); }),
      sleep([](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }),
      random([] { return std::rand() & 0x7FFF; }),
      catalog_(catalog),
      prompt_(prompt),
      defaultPath_(std::move(defaultCatalogPath)) {
    // Without FTP listings in memory a merge is a plain read followed by the duplicate check
    // (which the read runs).
    mergeCatalogFile = [this](const std::string& path, int) { return readCatalogFile(path); };
}

bool loadCatalogImage(const std::string& path, CatalogImage& image, std::string& why,
                      uint64_t* rowsEnd) {
    // Non-blocking, so that a FIFO named as a catalog is refused instead of waited on.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        why = "cannot open " + path;
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size == 0) {
        ::close(fd);
        why = path + " is empty or not a file";
        return false;
    }
    FileSource source(fd, static_cast<uint64_t>(st.st_size));
    const bool ok = decodeCatalog(source, image, why);
    ::close(fd);
    if (!ok) {
        why = path + ": " + why;
        return false;
    }
    if (rowsEnd) *rowsEnd = static_cast<uint64_t>(st.st_size) - source.remaining();
    return true;
}

int CatalogDatabase::readCatalogFile(const std::string& path) {
    lastError_.clear();
    CatalogImage image;
    uint64_t rowsEnd = 0;
    if (!loadCatalogImage(path, image, lastError_, &rowsEnd)) {
        // Only a file that is there but is no catalog is worth a message.
        if (lastError_.starts_with(path + ": ")) prompt_.tell("File Can't be opened");
        return 0;
    }
    exportFolder_ = image.exportFolder;
    rowsEnd_ = rowsEnd;
    applyCatalogImage(catalog_, std::move(image));
    checkDuplicates(catalog_, kMasterList, prompt_, clockSeconds());
    return 1;
}

std::string CatalogDatabase::moveAsideUnreadable(const std::string& path) {
    std::string aside = path + ".unreadable-" + timeStampSuffix();
    if (::rename(path.c_str(), aside.c_str()) != 0) return {};
    return aside;
}

int CatalogDatabase::openCatalog(const std::string& path) {
    catalog_.reset(initialColumnCapacity);
    if (path == defaultPath_ && !pathExists(path)) {
        // A save cut short by a crash can leave only the backup: start from it, not empty.
        const std::string backup = siblingPath(path, "backup.fdb");
        if (pathExists(backup) && readCatalogFile(backup)) {
            prompt_.tell("The catalog " + path + " was missing. Varnel opened its backup " +
                         backup + "; the next save writes " + path + " again.");
            openPath_ = path;
            openedFileTime_ = 0;
            return 1;
        }
    }
    int ok = readCatalogFile(path);
    openPath_ = path;
    openedFileTime_ = fileLastWriteTime(path);
    if (path == defaultPath_ && !ok) {
        // Starting empty would overwrite the old catalog at the next save: keep it aside.
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0 && st.st_size > 0) {
            std::string aside = moveAsideUnreadable(path);
            if (!aside.empty())
                prompt_.tell("The catalog " + path + " could not be read. It was moved to " +
                             aside + " and Varnel starts with an empty catalog.");
        }
        openedFileTime_ = 0;
        openPath_ = defaultPath_;
        return 1;
    }
    return ok;
}

int CatalogDatabase::openCatalogOrDefault(const char* path) {
    if (clearScannedFolders) clearScannedFolders();
    return openCatalog(path ? std::string(path) : defaultPath_);
}

void CatalogDatabase::reduceHistoryToCurrentEntry() {
    ViewHistory& h = catalog_.history();
    int p = h.count > 0 ? h.position : -1;
    if (p < 0) {
        h.count = 0;
        h.position = -1;
        return;
    }
    if (p != 0) {
        h.list[0] = h.list[p];
        h.address[0] = h.address[p];
        h.searchReference[0] = h.searchReference[p];
        h.sortColumn[0] = h.sortColumn[p];
        h.sortOrder[0] = h.sortOrder[p];
    }
    h.count = (h.address[0][0] != 0 || h.searchReference[0] >= 0) ? 1 : 0;
    h.position = h.count > 0 ? 0 : -1;
}

bool CatalogDatabase::exportContents(AtomicFile& file) {
    const uint64_t contentsStart = file.offset();
    std::vector<uint32_t> failedIndex, failedBytes;
    std::vector<char> chunk(kCopyChunk);
    const int32_t count = catalog_.recordCount(kMasterList);
    for (int32_t i = 0; i < count; ++i) {
        std::string full = std::string(catalog_.recordFolder(kMasterList, i)) +
                           catalog_.recordName(kMasterList, i);
        const uint32_t size = *catalog_.recordSize(kMasterList, i);
        uint32_t copied = 0;
        int fd = ::open(full.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0) {
            while (copied < size) {
                size_t want = std::min<size_t>(kCopyChunk, size - copied);
                ssize_t n = ::read(fd, chunk.data(), want);
                if (n < 0 && errno == EINTR) continue;
                if (n <= 0) break;
                if (!file.write(chunk.data(), static_cast<size_t>(n))) break;
                copied += static_cast<uint32_t>(n);
            }
            ::close(fd);
        }
        if (copied != size) {
            failedIndex.push_back(static_cast<uint32_t>(i));
            failedBytes.push_back(copied);
            if (failedIndex.size() >= kExportFailureLimit) return false;
        }
    }
    StringSink tail;
    for (uint32_t index : failedIndex) tail.writeU32(index);
    for (uint32_t bytes : failedBytes) tail.writeU32(bytes);
    tail.writeU32(static_cast<uint32_t>(failedIndex.size()));
    tail.writeU32(static_cast<uint32_t>(contentsStart));
    return file.write(tail.bytes);
}

int CatalogDatabase::writeCatalogFile(const std::string& path, const char* exportFolder) {
    lastError_.clear();
    checkDuplicates(catalog_, kMasterList, prompt_, clockSeconds());
    catalog_.compactSiteNodes();
    catalog_.compactLists(false);
    catalog_.compactPools();

    AtomicFile file(path);
    reduceHistoryToCurrentEntry();
    AtomicFileSink sink(file);
    encodeCatalog(catalog_, exportFolder ? exportFolder : "", sink);
    if (exportFolder && file.ok() && !exportContents(file)) {
        lastError_ = "too many files of " + path + " could not be copied whole";
        return 0;  // the temporary file goes; an older file at `path` stays as it was
    }
    const bool isDefault = path == defaultPath_;
    if (!file.commit(isDefault ? siblingPath(path, "backup.fdb") : std::string())) {
        lastError_ = file.error().empty() ? "cannot write " + path : file.error();
        prompt_.tell("The catalog could not be saved to " + path + ". " + lastError_);
        return 0;
    }
    return 1;
}

Answer CatalogDatabase::confirmSave() {
    if (catalog_.generation() == kOpenedGeneration) return Answer::No;
    std::string question = "Save current Varnel Databases";
    if (openPath_ != defaultPath_) question += ":\"" + openPath_ + "\"";
    question += "?";
    return prompt_.ask(question, Buttons::YesNoCancel);
}

int CatalogDatabase::saveOnExit() {
    Answer answer = confirmSave();
    if (answer == Answer::Cancel) return 0;
    if (answer != Answer::Yes) return 1;
    if (openPath_ == defaultPath_) {
        // Another running copy may have saved the default catalog since we opened it.
        const uint64_t now = currentFileTime();
        const uint64_t disk = fileLastWriteTime(openPath_);
        if (disk > openedFileTime_) {
            if (now < disk || now - disk < 10000) sleep((random() / 1000) * 625);
            mergeCatalogFile(openPath_, 0);
        }
    }
    // A failed save (already told, with the reason) keeps the program running, so that the
    // user can save elsewhere.
    return writeCatalogFile(openPath_, nullptr);
}

}  // namespace varnel
