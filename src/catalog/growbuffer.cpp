#include "catalog/growbuffer.h"

#include <sys/mman.h>

#include <atomic>
#include <cstdint>
#include <chrono>
#include <new>
#include <thread>

namespace varnel {

namespace {
std::atomic<uint64_t> g_catalogMemory{0};
}

uint64_t catalogMemoryTotal() {
    return g_catalogMemory.load(std::memory_order_relaxed);
}
void addCatalogMemory(uint64_t bytes) {
    g_catalogMemory.fetch_add(bytes, std::memory_order_relaxed);
}

void adviseHugePages(void* start, size_t bytes) {
    constexpr uintptr_t kHuge = uintptr_t{2} << 20;
    if (bytes < 2 * kHuge) return;
    const uintptr_t from = (reinterpret_cast<uintptr_t>(start) + kHuge - 1) & ~(kHuge - 1);
    const uintptr_t to = (reinterpret_cast<uintptr_t>(start) + bytes) & ~(kHuge - 1);
    if (to > from) ::madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
}

void* allocateRetrying(size_t bytes) {
    for (;;) {
        // new[] of unsigned char: uninitialised, suitably aligned for any element type,
        // and releasable by unique_ptr<T[]> of a trivial T.
        if (void* p = ::operator new[](bytes ? bytes : 1, std::nothrow)) {
            // Tables are filled right after they grow: a fault per 2 MiB, not per 4 KiB.
            adviseHugePages(p, bytes);
            return p;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

}  // namespace varnel
