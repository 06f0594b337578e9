#include "treegen.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <string_view>
#include <vector>

#include "catalog/tables.h"
#include "platform/filetime.h"
#include "rng.h"

namespace varnel::bench {

namespace {

uint64_t mix(uint64_t h, uint64_t v) {
    h ^= v + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
    return h * 0xff51afd7ed558ccdULL;
}

constexpr std::array<std::string_view, 24> kWords = {
    "Blue",  "River",  "Night", "Silver", "Echo",   "Glass", "Paper",   "Stone",
    "North", "Summer", "Quiet", "Velvet", "Hidden", "Wild",  "Crystal", "Shadow",
    "Ocean", "Garden", "City",  "Dream",  "Light",  "Road",  "Maple",   "Copper"};
// UTF-8 beyond ASCII, and bytes that are not UTF-8 at all (Latin-1 from old disks).
constexpr std::array<std::string_view, 10> kOddWords = {"Caf\xc3\xa9",
                                                        "Bj\xc3\xb6rk",
                                                        "\xe6\x9d\xb1\xe4\xba\xac",
                                                        "Stra\xc3\x9f"
                                                        "e",
                                                        "caf\xe9",
                                                        "na\xefve",
                                                        "\xff\xfe",
                                                        "tab\there",
                                                        "back\\slash",
                                                        "a  b"};
constexpr std::array<std::string_view, 12> kExtensions = {
    ".mp3", ".jpg", ".txt", ".c", ".h", ".html", ".pdf", ".mkv", ".zip", ".json", "", ".tar.gz"};
constexpr std::array<std::string_view, 8> kAreas = {
    "Music", "Photos", "src", "Documents", "www", "Videos", "Downloads", "usr share doc"};

constexpr int64_t kFirstSecond = 1420070400;  // 2015-01-01 UTC
constexpr int64_t kSpanSeconds = 315576000;   // ten years
constexpr uint64_t k4GiB = 1ULL << 32;

std::string wordName(Rng& rng) {
    std::string name(rng.pick(kWords));
    if (rng.chancePerMille(300)) name += " " + std::string(rng.pick(kWords));
    if (rng.chancePerMille(60)) name += std::string(rng.pick(kOddWords));
    return name;
}

struct Folder {
    std::string path;  // ends with "/"
    int depth;
    int64_t files;
};

class Generator {
  public:
    Generator(const std::string& root, uint64_t seed, TreeStats& stats)
        : root_(root.back() == '/' ? root : root + "/"), rng_(seed), stats_(stats) {}

    bool run(int64_t files, std::string& error);

  private:
    bool makeFolder(const std::string& path, std::string& error);
    bool makeFile(const std::string& folder, const std::string& name, std::string& error);
    void planFolders(int64_t files);

    std::string root_;
    Rng rng_;
    TreeStats& stats_;
    std::vector<Folder> folders_;
};

void Generator::planFolders(int64_t files) {
    folders_.push_back({root_, 0, 0});
    for (std::string_view area : kAreas)
        folders_.push_back({root_ + std::string(area) + "/", 1, 0});
    // About one folder per 25 files; a new folder hangs below a recent one more often than
    // not, which makes deep chains as well as wide levels.
    const int64_t wanted = files / 25 + 10;
    while (static_cast<int64_t>(folders_.size()) < wanted) {
        const size_t n = folders_.size();
        const size_t parent = rng_.chancePerMille(600)
                                  ? n - 1 - rng_.below(std::min<size_t>(n - 1, 40))
                                  : 1 + rng_.below(n - 1);
        const Folder& p = folders_[parent];
        if (p.depth >= 14) continue;
        std::string name = wordName(rng_) + " " + std::to_string(n);
        if (rng_.chancePerMille(20)) name = "." + name;  // hidden folders
        folders_.push_back({p.path + name + "/", p.depth + 1, 0});
    }
    // Files: a heavy tail, so a few folders hold thousands.
    int64_t left = files;
    while (left > 0) {
        Folder& f = folders_[1 + rng_.below(folders_.size() - 1)];
        const int64_t batch =
            std::min<int64_t>(left, rng_.chancePerMille(10) ? 2000 : 1 + rng_.below(40));
        f.files += batch;
        left -= batch;
    }
}

bool Generator::makeFolder(const std::string& path, std::string& error) {
    if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) {
        error = "cannot create " + path + ": " + std::strerror(errno);
        return false;
    }
    ++stats_.folders;
    if (path.size() < kTextSize) ++stats_.reachableFolders;
    return true;
}

bool Generator::makeFile(const std::string& folder, const std::string& name, std::string& error) {
    const std::string path = folder + name;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = "cannot create " + path + ": " + std::strerror(errno);
        return false;
    }
    uint64_t size;
    const uint64_t kind = rng_.below(1000);
    if (kind < 2)
        size = k4GiB + rng_.below(k4GiB);  // skipped: 4 GiB or more
    else if (kind < 20)
        size = rng_.below(k4GiB);
    else if (kind < 100)
        size = 0;
    else
        size = rng_.below(20u << 20);
    const int64_t second = kFirstSecond + static_cast<int64_t>(rng_.below(kSpanSeconds));
    const timespec times[2] = {{second, 0}, {second, static_cast<long>(rng_.below(1000000000))}};
    const bool ok = ::ftruncate(fd, static_cast<off_t>(size)) == 0 && ::futimens(fd, times) == 0;
    ::close(fd);
    if (!ok) {
        error = "cannot size " + path + ": " + std::strerror(errno);
        return false;
    }
    ++stats_.files;
    if (folder.size() >= kTextSize) return true;  // below a folder the scan never reaches
    if (folder.size() + name.size() >= kTextSize) {
        ++stats_.longPaths;
    } else if (size >= k4GiB) {
        ++stats_.largeFiles;
    } else {
        ++stats_.catalogued;
        stats_.checksum +=
            recordChecksum(folder.c_str(), name.c_str(), fileTimeFromTimespec(times[1]),
                           static_cast<uint32_t>(size));
    }
    return true;
}

bool Generator::run(int64_t files, std::string& error) {
    planFolders(files);
    // One chain of folders deeper than a working text: the scan skips it where it no longer
    // fits, with a file whose name is too long in the last folder that does.
    std::string deep = root_ + "deep/";
    std::vector<std::string> chain;
    while (deep.size() < kTextSize + 300) {
        chain.push_back(deep);
        deep += std::string(200, 'd') + "/";
    }
    stats_.folders = 0;
    for (const Folder& f : folders_)
        if (!makeFolder(f.path, error)) return false;
    for (const std::string& c : chain)
        if (!makeFolder(c, error)) return false;
    for (size_t i = 1; i < chain.size(); ++i)
        if (chain[i].size() >= kTextSize && chain[i - 1].size() < kTextSize) ++stats_.longPaths;
    int64_t serial = 0;
    for (const Folder& f : folders_) {
        for (int64_t k = 0; k < f.files; ++k) {
            std::string name = wordName(rng_);
            if (rng_.chancePerMille(15)) name = "." + name;
            if (rng_.chancePerMille(2)) name += std::string(180, 'x');
            name += " " + std::to_string(serial++) + std::string(rng_.pick(kExtensions));
            if (!makeFile(f.path, name, error)) return false;
        }
    }
    for (const std::string& c : chain) {
        if (!makeFile(c, "f.txt", error)) return false;
        if (c.size() < kTextSize && c.size() + 250 >= kTextSize &&
            !makeFile(c, std::string(250, 'n'), error))
            return false;
    }
    return true;
}

}  // namespace

uint64_t recordChecksum(const char* folder, const char* name, uint64_t time, uint32_t size) {
    uint64_t h = 0x12345678;
    for (const char* p = folder; *p; ++p) h = mix(h, static_cast<unsigned char>(*p));
    h = mix(h, 0x100);
    for (const char* p = name; *p; ++p) h = mix(h, static_cast<unsigned char>(*p));
    return mix(mix(h, time), size);
}

bool generateTree(const std::string& root, int64_t files, TreeStats& stats, std::string& error,
                  uint64_t seed) {
    stats = TreeStats{};
    return Generator(root, seed, stats).run(files, error);
}

}  // namespace varnel::bench
