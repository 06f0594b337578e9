#include "treegen.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <string_view>
#include <unordered_set>
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

constexpr int64_t kFirstSecond = 1420070400;  // 2015-01-01 UTC
constexpr int64_t kSpanSeconds = 315576000;   // ten years
constexpr uint64_t k4GiB = 1ULL << 32;

std::string wordName(Rng& rng) {
    std::string name(rng.pick(kWords));
    if (rng.chancePerMille(300)) name += " " + std::string(rng.pick(kWords));
    if (rng.chancePerMille(60)) name += std::string(rng.pick(kOddWords));
    return name;
}

std::string lower(std::string_view word) {
    std::string out(word);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::string twoDigits(uint64_t n) {
    return std::string(1, static_cast<char>('0' + n / 10 % 10)) + static_cast<char>('0' + n % 10);
}

// What a folder holds decides how its files are named: real disks repeat the same names
// (index.js, README.md) in many folders and share long prefixes (IMG_20190714_...).
enum class Holds { Documents, Sources, Package, GitObjects, Photos, Music };

struct Folder {
    std::string path;  // ends with "/"
    int depth;
    int64_t files;
    Holds holds;
};

class Generator {
  public:
    // With `visit`, files are handed to it instead of made (nothing touches the disk).
    Generator(const std::string& root, uint64_t seed, TreeStats& stats,
              const TreeVisit* visit = nullptr)
        : root_(root.back() == '/' ? root : root + "/"), rng_(seed), stats_(stats), visit_(visit) {}

    bool run(int64_t files, std::string& error);

  private:
    bool makeFolder(const std::string& path, std::string& error);
    bool makeFile(const std::string& folder, const std::string& name, std::string& error);
    void planFolders(int64_t files);
    void addProject(const std::string& home, int64_t& budget);
    void addFolder(std::string path, int depth, int64_t files, Holds holds, int64_t& budget);
    std::string fileName(const Folder& folder, int64_t k);

    std::string root_;
    Rng rng_;
    TreeStats& stats_;
    const TreeVisit* visit_;
    std::vector<Folder> folders_;
    std::unordered_set<std::string> planned_;
};

void Generator::addFolder(std::string path, int depth, int64_t files, Holds holds,
                          int64_t& budget) {
    // Two draws of the same folder would make one folder with names drawn twice.
    if (!planned_.insert(path).second) {
        path.insert(path.size() - 1, " " + std::to_string(folders_.size()));
        planned_.insert(path);
    }
    files = std::min(files, budget);
    budget -= files;
    folders_.push_back({std::move(path), depth, files, holds});
}

// A source project: its own files, and a node_modules of packages that each bring a few
// folders of a few files, nested packages now and then, and the objects of its .git.
void Generator::addProject(const std::string& home, int64_t& budget) {
    const std::string project = home + "projects/" + lower(rng_.pick(kWords)) + "-" +
                                lower(rng_.pick(kWords)) + "-" + std::to_string(folders_.size()) +
                                "/";
    addFolder(project, 4, 5 + rng_.below(10), Holds::Documents, budget);
    for (uint64_t m = 0, n = 2 + rng_.below(8); m < n; ++m)
        addFolder(project + "src/" + lower(rng_.pick(kWords)) + std::to_string(m) + "/", 6,
                  10 + rng_.below(60), Holds::Sources, budget);
    std::string modules = project + "node_modules/";
    addFolder(modules, 5, 0, Holds::Package, budget);
    for (uint64_t k = 0, n = 20 + rng_.below(200); k < n && budget > 0; ++k) {
        std::string package = modules;
        if (rng_.chancePerMille(300)) package += "@" + lower(rng_.pick(kWords)) + "/";
        package += lower(rng_.pick(kWords)) + "-" + lower(rng_.pick(kWords)) + "/";
        addFolder(package, 6, 3 + rng_.below(6), Holds::Package, budget);
        for (const char* part : {"lib/", "dist/", "test/"})
            if (rng_.chance(60))
                addFolder(package + part, 7, 2 + rng_.below(25), Holds::Sources, budget);
        if (rng_.chancePerMille(150))
            addFolder(package + "node_modules/" + lower(rng_.pick(kWords)) + "/", 8,
                      3 + rng_.below(10), Holds::Package, budget);
    }
    for (uint64_t k = 0, n = 16 + rng_.below(240); k < n && budget > 0; k += 1 + rng_.below(3)) {
        const char hex[] = "0123456789abcdef";
        addFolder(project + ".git/objects/" + hex[k / 16 % 16] + hex[k % 16] + "/", 7,
                  1 + rng_.below(30), Holds::GitObjects, budget);
    }
}

void Generator::planFolders(int64_t files) {
    folders_.push_back({root_, 0, 0, Holds::Documents});
    int64_t budget = files;
    // A few users' homes, each with projects, photos by day, music by album and documents,
    // until the files run out: about sixteen files a folder, from one to a few hundred.
    for (int user = 0; budget > 0; ++user) {
        const std::string home =
            root_ + "home/" + lower(rng_.pick(kWords)) + std::to_string(user) + "/";
        addFolder(home, 2, 3 + rng_.below(10), Holds::Documents, budget);
        for (int k = 0; k < 12 && budget > 0; ++k) addProject(home, budget);
        for (int year = 2012; year <= 2025 && budget > 0; ++year) {
            for (uint64_t d = 0, n = 8 + rng_.below(20); d < n; ++d) {
                const uint64_t month = 1 + rng_.below(12), day = 1 + rng_.below(28);
                addFolder(home + "Pictures/" + std::to_string(year) + "/" + std::to_string(year) +
                              "-" + twoDigits(month) + "-" + twoDigits(day) + " " +
                              wordName(rng_) + "/",
                          5, rng_.chance(10) ? 100 + rng_.below(400) : 5 + rng_.below(60),
                          Holds::Photos, budget);
            }
        }
        for (uint64_t a = 0, n = 30 + rng_.below(60); a < n && budget > 0; ++a)
            addFolder(home + "Music/" + wordName(rng_) + "/" + wordName(rng_) + " (" +
                          std::to_string(1970 + rng_.below(55)) + ")/",
                      5, 8 + rng_.below(14), Holds::Music, budget);
        for (uint64_t k = 0, n = 20 + rng_.below(40); k < n && budget > 0; ++k) {
            std::string path = home + "Documents/";
            for (uint64_t level = 0, depth = 1 + rng_.below(4); level < depth; ++level)
                path += wordName(rng_) + " " + std::to_string(k) + "/";
            if (rng_.chancePerMille(40)) path += "." + wordName(rng_) + "/";  // hidden
            addFolder(path, 6, 1 + rng_.below(rng_.chance(5) ? 2000 : 40), Holds::Documents,
                      budget);
        }
    }
}

std::string Generator::fileName(const Folder& folder, int64_t k) {
    const std::string serial = std::to_string(k);
    switch (folder.holds) {
        case Holds::Sources:
            return lower(rng_.pick(kWords)) + "_" + lower(rng_.pick(kWords)) + serial +
                   std::string(rng_.pick(std::array<std::string_view, 4>{".js", ".c", ".h",
                                                                         ".d.ts"}));
        case Holds::Package: {
            static constexpr std::array<std::string_view, 6> kUsual = {
                "index.js", "package.json", "README.md", "LICENSE", "CHANGELOG.md", "index.d.ts"};
            return k < 6 ? std::string(kUsual[k]) : lower(rng_.pick(kWords)) + serial + ".js";
        }
        case Holds::GitObjects: {
            std::string name;
            for (int i = 0; i < 38; ++i) name += "0123456789abcdef"[rng_.below(16)];
            return name;
        }
        case Holds::Photos:
            return "IMG_2019" + twoDigits(1 + rng_.below(12)) + twoDigits(1 + rng_.below(28)) +
                   "_" + twoDigits(rng_.below(24)) + twoDigits(rng_.below(60)) + "_" + serial +
                   (rng_.chance(90) ? ".jpg" : ".CR2");
        case Holds::Music:
            return twoDigits(k + 1) + " - " + wordName(rng_) + ".mp3";
        case Holds::Documents:
        default: {
            std::string name = wordName(rng_);
            if (rng_.chancePerMille(15)) name = "." + name;
            if (rng_.chancePerMille(2)) name += std::string(180, 'x');
            return name + " " + serial + std::string(rng_.pick(kExtensions));
        }
    }
}

// Makes the folder and those above it that are not there yet, counting each one made.
bool Generator::makeFolder(const std::string& path, std::string& error) {
    if (visit_) return true;
    for (size_t end = path.find('/', root_.size() - 1); end != std::string::npos;
         end = path.find('/', end + 1)) {
        const std::string folder = path.substr(0, end + 1);
        if (::mkdir(folder.c_str(), 0755) != 0) {
            if (errno == EEXIST) continue;
            error = "cannot create " + folder + ": " + std::strerror(errno);
            return false;
        }
        ++stats_.folders;
        if (folder.size() < kTextSize) ++stats_.reachableFolders;
    }
    return true;
}

bool Generator::makeFile(const std::string& folder, const std::string& name, std::string& error) {
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
    const bool catalogued = folder.size() + name.size() < kTextSize && size < k4GiB;
    if (visit_) {
        if (catalogued) (*visit_)(folder, name, fileTimeFromTimespec(times[1]), size);
        return true;
    }
    const std::string path = folder + name;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = "cannot create " + path + ": " + std::strerror(errno);
        return false;
    }
    const bool ok = ::ftruncate(fd, static_cast<off_t>(size)) == 0 && ::futimens(fd, times) == 0;
    ::close(fd);
    if (!ok) {
        error = "cannot size " + path + ": " + std::strerror(errno);
        return false;
    }
    ++stats_.files;
    if (folder.size() >= kTextSize) return true;  // below a folder the scan never reaches
    if (catalogued) {
        ++stats_.catalogued;
        stats_.checksum +=
            recordChecksum(folder.c_str(), name.c_str(), fileTimeFromTimespec(times[1]),
                           static_cast<uint32_t>(size));
    } else if (folder.size() + name.size() >= kTextSize) {
        ++stats_.longPaths;
    } else {
        ++stats_.largeFiles;
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
    stats_.folders = stats_.reachableFolders = 1;  // the root, which the caller made
    for (const Folder& f : folders_)
        if (!makeFolder(f.path, error)) return false;
    for (const std::string& c : chain)
        if (!makeFolder(c, error)) return false;
    for (size_t i = 1; i < chain.size(); ++i)
        if (chain[i].size() >= kTextSize && chain[i - 1].size() < kTextSize) ++stats_.longPaths;
    for (const Folder& f : folders_)
        for (int64_t k = 0; k < f.files; ++k)
            if (!makeFile(f.path, fileName(f, k), error)) return false;
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

void listTree(const std::string& root, int64_t files, const TreeVisit& visit, uint64_t seed) {
    TreeStats stats;
    std::string error;
    Generator(root, seed, stats, &visit).run(files, error);
}

}  // namespace varnel::bench
