#include "support/catalogbuilder.h"

#include <cstring>
#include <random>

namespace varnel::test {

void PrintTo(const Rec& r, std::ostream* out) {
    *out << '{' << r.folder << '|' << r.name << '|' << r.note << '|' << r.time << '|' << r.size
         << '}';
}

void appendRecord(Catalog& catalog, int list, const Rec& r) {
    const int32_t i = catalog.recordCount(list);
    catalog.writeRecordFolder(list, i, r.folder);
    catalog.writeRecordName(list, i, r.name);
    catalog.writeRecordNote(list, i, r.note);
    *catalog.timeSlot(list, i) = r.time;
    *catalog.sizeSlot(list, i) = r.size;
    catalog.setRecordCount(list, i + 1);
}

void appendRecords(Catalog& catalog, int list, const std::vector<Rec>& records) {
    for (const Rec& r : records) appendRecord(catalog, list, r);
    catalog.bumpGeneration();
}

Rec readRecord(Catalog& catalog, int list, int32_t i) {
    Rec r;
    r.folder = catalog.recordFolder(list, i);
    r.name = catalog.recordName(list, i);
    r.note = catalog.recordNoteText(list, i);
    r.time = *catalog.recordTime(list, i);
    r.size = *catalog.recordSize(list, i);
    return r;
}

std::vector<Rec> readList(Catalog& catalog, int list) {
    std::vector<Rec> out;
    for (int32_t i = 0; i < catalog.recordCount(list); ++i)
        out.push_back(readRecord(catalog, list, i));
    return out;
}

void copyRecords(Catalog& catalog, int list, int from, const std::vector<int32_t>& indices) {
    for (int32_t i : indices) {
        const int32_t at = catalog.recordCount(list);
        catalog.copyRecord(list, at, from, i);
        catalog.setRecordCount(list, at + 1);
    }
}

std::vector<Rec> recordsIn(const std::vector<Rec>& records, const std::string& folder) {
    std::vector<Rec> out;
    for (const Rec& r : records)
        if (r.folder == folder) out.push_back(r);
    return out;
}

std::vector<std::string> namesOf(const std::vector<Rec>& records) {
    std::vector<std::string> out;
    for (const Rec& r : records) out.push_back(r.name);
    return out;
}

std::vector<std::string> pathsOf(const std::vector<Rec>& records) {
    std::vector<std::string> out;
    for (const Rec& r : records) out.push_back(r.folder + r.name);
    return out;
}

std::vector<Rec> randomRecords(uint32_t seed, int count, int folders) {
    std::mt19937 rng(seed);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<uint32_t>(n)); };
    static const char* odd[] = {" ", "\x01", "\xc3\xa9", "\\", "_", "Z", "a", "\t"};
    auto word = [&](int length) {
        std::string w;
        for (int k = 0; k < length; ++k) {
            if (pick(10) == 0)
                w += odd[pick(8)];
            else
                w += static_cast<char>('a' + pick(26) - (pick(3) == 0 ? 32 : 0));
        }
        return w;
    };
    std::vector<std::string> folderNames;
    for (int f = 0; f < folders; ++f)
        folderNames.push_back("/data/" + word(1 + pick(6)) + std::to_string(f) + "/");
    std::vector<Rec> out;
    out.reserve(static_cast<size_t>(count));
    for (int k = 0; k < count; ++k) {
        Rec r;
        r.folder = folderNames[static_cast<size_t>(pick(folders))];
        r.name = word(1 + pick(12)) + "#" + std::to_string(k) + "." + word(pick(5));
        r.note = pick(8) == 0 ? word(pick(20)) : "";
        r.time = (uint64_t{rng()} << 32) | rng();
        r.size = rng();
        out.push_back(std::move(r));
    }
    return out;
}

}  // namespace varnel::test
