#pragma once
// Growable arrays behind every catalog table: first room for at least 16384 elements, then
// doubling. Allocation failures are retried every millisecond, so callers never see one.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace varnel {

struct RawDelete {
    void operator()(void* p) const { ::operator delete[](p); }
};

template <class T>
struct GrowBuffer {
    std::unique_ptr<T[], RawDelete> data;
    size_t capacity = 0;

    T* get() const { return data.get(); }
    T& operator[](size_t i) const { return data[i]; }
};

// Bytes handed to catalog tables so far (only counted, never returned).
uint64_t catalogMemoryTotal();
void addCatalogMemory(uint64_t bytes);
// Raw allocation that never fails: retries every millisecond.
void* allocateRetrying(size_t bytes);
// Asks for huge pages under the whole 2 MiB pages of a big allocation (a no-op below 4 MiB).
void adviseHugePages(void* start, size_t bytes);

// Grows `buffer` so that it holds at least `minCount` elements (see GrowBuffer). New elements
// are not cleared. Always returns true.
template <class T>
bool growBuffer(GrowBuffer<T>& buffer, size_t minCount) {
    static_assert(std::is_trivially_copyable_v<T>);
    size_t newCapacity;
    if (!buffer.data) {
        newCapacity = minCount > 16384 ? minCount : 16384;
    } else {
        newCapacity = buffer.capacity * 2;
        if (minCount > newCapacity) newCapacity = minCount;
    }
    T* fresh = static_cast<T*>(allocateRetrying(newCapacity * sizeof(T)));
    addCatalogMemory((newCapacity - buffer.capacity) * sizeof(T));
    if (buffer.data && buffer.capacity)
        std::memcpy(fresh, buffer.data.get(), buffer.capacity * sizeof(T));
    buffer.data.reset(fresh);
    buffer.capacity = newCapacity;
    return true;
}

}  // namespace varnel
