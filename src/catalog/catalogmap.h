#pragma once
// A catalog file mapped read-only, for a one-off look at its master list (varnel-cli find):
// nothing is copied or allocated per record. The file is checked as the reader checks it
// (the same head, counts, pools, offsets and tail), so a file the reader refuses is refused
// here too, with the same reason. Its text offsets and lengths (which means reading every
// offset and every page of its pools) are checked apart, by textsFit, which a caller may skip
// only on the word of an index file made for this very file after that check.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "catalog/dbformat.h"
#include "platform/mappedfile.h"

namespace varnel {

class MappedCatalog {
  public:
    // Maps and checks `path` (a regular file only). False with the reason, in the reader's
    // words ("PATH: ..." when the file is there but is no catalog).
    bool open(const std::string& path, std::string& why);
    // The same over catalog bytes already in memory, which must outlive this object.
    bool view(std::string_view file, std::string& why);
    // Whether every record's text offsets lie inside their pools and every text is shorter
    // than the reader's 2048 bytes. Until this holds, no offset may be followed.
    bool textsFit(std::string& why) const;

    int32_t count() const { return count_; }  // master records
    // The mapped file's identity (all zero after view()).
    FileIdentity identity() const { return file_ ? file_->identity : FileIdentity{}; }
    // The master list's text offsets, one per record; inside their pools once textsFit said so.
    const uint32_t* nameOffsets() const { return column(0); }
    const uint32_t* noteOffsets() const { return column(1); }
    const uint32_t* folderOffsets() const { return column(2); }
    uint64_t time(int32_t record) const;
    uint32_t size(int32_t record) const;
    // The pools as stored: NUL-terminated texts, the last byte a NUL.
    std::string_view namePool() const { return pools_[1]; }
    std::string_view folderPool() const { return pools_[0]; }
    std::string_view notePool() const { return pools_[2]; }

  private:
    const uint32_t* column(int c) const {
        return reinterpret_cast<const uint32_t*>(bytes_ + masterAt_[c]);
    }

    std::shared_ptr<const MappedFile> file_;  // what open mapped
    const char* bytes_ = nullptr;
    size_t length_ = 0;
    int32_t count_ = 0;
    std::array<size_t, kColumnCount> masterAt_{};  // file offset of each column's master segment
    std::array<std::string_view, 3> pools_;         // folder, name, note: the file's order
    std::array<int32_t, kListCount> counts_{};
    std::array<std::array<int32_t, kListCount>, 3> capacities_{};  // of the text columns
};

}  // namespace varnel
