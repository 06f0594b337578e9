#include "catalog/extract.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "catalog/dbfile.h"
#include "catalog/tables.h"
#include "platform/fileio.h"
#include "platform/filetime.h"
#include "platform/prompt.h"

namespace varnel {

namespace {

uint32_t u32(const unsigned char* b) {
    return uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24;
}

// The folder parts of a stored folder path, whatever system wrote it: "C:\Music\" gives
// {"C", "Music"}, "ftp:\\host\pub\" {"ftp", "host", "pub"}, "/home/u/" {"home", "u"}.
// Empty when a part is "." or "..": such a path could climb out of the target.
bool folderParts(const std::string& folder, std::vector<std::string>& parts) {
    parts.clear();
    std::string part;
    auto finish = [&] {
        if (part == "." || part == "..") return false;
        if (!part.empty()) parts.push_back(part);
        part.clear();
        return true;
    };
    for (size_t i = 0; i < folder.size(); ++i) {
        char c = folder[i];
        if (c == '/' || c == '\\') {
            if (!finish()) return false;
        } else if (c == ':' && (i == 1 || (i == 3 && folder.compare(0, 3, "ftp") == 0))) {
            if (!finish()) return false;  // drive letter or "ftp" becomes a folder of its own
        } else {
            part += c;
        }
    }
    return finish();
}

// Opens (creating as needed) each folder below `root` without following links.
int openFolderChain(int root, const std::vector<std::string>& parts) {
    int fd = ::dup(root);
    for (const std::string& part : parts) {
        if (fd < 0) return -1;
        ::mkdirat(fd, part.c_str(), 0755);
        int next = ::openat(fd, part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        ::close(fd);
        fd = next;
    }
    return fd;
}

std::string joinParts(const std::vector<std::string>& parts) {
    std::string path;
    for (const std::string& part : parts) path += part + "/";
    return path;
}

bool copyOut(int from, uint64_t offset, uint64_t length, int to) {
    std::vector<char> chunk(65536);
    while (length > 0) {
        size_t n = static_cast<size_t>(std::min<uint64_t>(length, chunk.size()));
        if (!preadFully(from, chunk.data(), n, offset)) return false;
        if (!writeFully(to, chunk.data(), n)) return false;
        offset += n;
        length -= n;
    }
    return true;
}

}  // namespace

ExtractResult extractStoredFiles(Catalog& catalog, CatalogDatabase& database,
                                 const std::string& targetFolder, Prompt& prompt) {
    ExtractResult result;
    // The stored contents are found through the master list as the file holds it: after any
    // change in memory or on disk the offsets would point into another file's bytes.
    if (catalog.generation() != kOpenedGeneration ||
        fileLastWriteTime(database.openCatalogPath()) != database.openedFileTime()) {
        result.refused = true;
        return result;
    }
    std::string target = targetFolder;
    if (target.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        target = tmp && *tmp ? tmp : "/tmp";
    }
    int file = ::open(database.openCatalogPath().c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0) return result;
    struct stat st {};
    ::fstat(file, &st);
    const uint64_t size = static_cast<uint64_t>(st.st_size);
    unsigned char tail[8];
    // An exported file ends with the failure count and the offset where the contents begin,
    // which is where the catalog rows ended.
    if (size < 8 || !preadFully(file, tail, 8, size - 8) ||
        u32(tail + 4) != database.storedRowsEnd() || database.storedRowsEnd() == 0) {
        ::close(file);
        return result;
    }
    const uint64_t contents = u32(tail + 4), failures = u32(tail);
    if (failures > (size - contents) / 8) {
        ::close(file);
        return result;
    }
    std::vector<unsigned char> table(static_cast<size_t>(failures) * 8);
    preadFully(file, table.data(), table.size(), size - 8 - table.size());
    const uint64_t contentsEnd = size - 8 - table.size();
    // Stored length of every master record: its size, or what was copied of it.
    const int32_t count = catalog.recordCount(kMasterList);
    std::vector<uint64_t> start(static_cast<size_t>(count) + 1, contents);
    std::vector<uint64_t> stored(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i)
        stored[static_cast<size_t>(i)] = *catalog.recordSize(kMasterList, i);
    for (uint64_t f = 0; f < failures; ++f) {
        uint32_t index = u32(table.data() + 4 * f), bytes = u32(table.data() + 4 * (failures + f));
        if (index < static_cast<uint32_t>(count)) stored[index] = bytes;
    }
    for (int32_t i = 0; i < count; ++i)
        start[static_cast<size_t>(i) + 1] =
            start[static_cast<size_t>(i)] + stored[static_cast<size_t>(i)];

    ::mkdir(target.c_str(), 0755);
    int root = ::open(target.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    std::vector<std::string> parts;
    for (int32_t k = 0; k < catalog.recordCount(kSelectionList); ++k) {
        const int32_t i = catalog.findSameFile(kMasterList, kSelectionList, k);
        const std::string name = catalog.recordName(kSelectionList, k);
        const bool safeName =
            !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
        if (root < 0 || i < 0 || !safeName ||
            !folderParts(catalog.recordFolder(kSelectionList, k), parts) ||
            start[static_cast<size_t>(i) + 1] > contentsEnd) {
            ++result.skipped;
            continue;
        }
        int folder = openFolderChain(root, parts);
        constexpr int kCreate = O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC;
        int out = folder < 0 ? -1 : ::openat(folder, name.c_str(), kCreate | O_EXCL, 0644);
        bool declined = false;
        if (out < 0 && folder >= 0 && errno == EEXIST) {
            const std::string path = target + "/" + joinParts(parts) + name;
            if (prompt.ask("Replace the existing file \"" + path + "\"?", Buttons::YesNo) ==
                Answer::Yes)
                out = ::openat(folder, name.c_str(), kCreate | O_TRUNC, 0644);
            else
                declined = true;
        }
        if (folder >= 0) ::close(folder);
        if (out < 0) {
            ++(declined ? result.kept : result.skipped);
            continue;
        }
        const bool copied =
            copyOut(file, start[static_cast<size_t>(i)], stored[static_cast<size_t>(i)], out);
        ::close(out);
        copied ? ++result.written : ++result.skipped;
    }
    if (root >= 0) ::close(root);
    ::close(file);
    return result;
}

void extractFiles(Catalog& catalog, CatalogDatabase& database, Prompt& prompt) {
    TextDialogRequest request;
    request.title = "Extract to";
    request.text = database.storedExportFolder();
    std::optional<std::string> target = prompt.editText(request);
    if (!target) return;
    ExtractResult result = extractStoredFiles(catalog, database, *target, prompt);
    if (result.refused)
        prompt.tell("Files can be extracted only from a catalog unchanged since it was opened. "
                    "Open " + database.openCatalogPath() + " again first.");
    else if (result.skipped > 0)
        prompt.tell(std::to_string(result.skipped) + " files were not extracted to " + *target +
                    ": their stored paths lead outside it or their contents are missing.");
}

}  // namespace varnel
