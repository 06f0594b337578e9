#pragma once
// The catalog side of reading folders, shared by the folder scan and the folder refresh:
// the prior records of the folders being read, hashed by folder and name; each listed file
// looked up among them in constant time (new, changed or unchanged); the prior records
// nobody confirmed; and the merge that brings the master list into line.
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace varnel {

class Catalog;

// Fills `prior` and `lookup` (derived lists) with the master records whose folder `wanted`
// accepts, in master order; the merge takes `lookup` for its own. Each distinct folder text
// is decided once, so a million records cost a million array reads.
void collectPriorRecords(Catalog& catalog, int prior, int lookup,
                         const std::function<bool(std::string_view folder)>& wanted);

// Removes from the master list the records `drop` accepts (by folder), keeping the order of
// the others. Returns how many went; the generation advances only when some did.
int32_t dropMasterRecords(Catalog& catalog,
                          const std::function<bool(std::string_view folder)>& drop);

class ListingMerge {
  public:
    // `lookup` comes from collectPriorRecords(); the merge makes it a list of its own.
    ListingMerge(Catalog& catalog, int found, int lookup);

    // The folder the next files belong to (ending with its separator). The text must stay
    // as it is until the next beginFolder().
    void beginFolder(const char* folder);
    // A listed file: unchanged files confirm their prior record; new and changed ones are
    // appended to the found list (a changed one with the prior record's note).
    void addFile(const char* name, uint32_t size, uint64_t lastWriteTime);

    // Where the found list stands, to forget a folder whose listing broke off.
    struct Mark {
        int32_t found, newFiles, changedFiles;
    };
    Mark mark() const;
    void rewind(const Mark& mark);

    int32_t newFiles() const { return newFiles_; }
    int32_t changedFiles() const { return changedFiles_; }

    // Fills `gone` (a derived list) with the prior records no listing confirmed, except
    // those whose folder `isProtected` accepts (folders that could not be read).
    void collectGone(int gone, const std::function<bool(std::string_view folder)>& isProtected);

  private:
    static constexpr uint64_t kHashSeed = 0xcbf29ce484222325ULL;
    void buildIndex();
    // The prior record of that file, or -1.
    int32_t probe(uint64_t hash, const char* folder, const char* name);
    void insert(uint64_t hash, int32_t k);
    int32_t findPrior(const char* name);

    Catalog& catalog_;
    const int found_;
    const int lookup_;
    std::vector<uint32_t> masterOf_;  // per prior record: its master index
    std::vector<uint8_t> keep_;       // per prior record: 0xFF until confirmed
    std::vector<int32_t> slots_;      // open addressing over the prior records; -1 empty
    const char* folder_ = "";
    bool folderIgnoresCase_ = false;
    uint64_t folderHash_ = 0;
    int32_t folderRecord_ = -1;  // a new record of this folder, to share its folder text
    int32_t newFiles_ = 0;
    int32_t changedFiles_ = 0;
};

// The catalog side of every scan and refresh: the records of `gone` leave the master list,
// those of `found` go to its front, newest first. 1 when records were added, else 0.
int mergeScanResult(Catalog& catalog, int found, int gone);

}  // namespace varnel
