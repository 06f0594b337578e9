#include "catalog/growbuffer.h"

#include <atomic>
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

void* allocateRetrying(size_t bytes) {
    for (;;) {
        // new[] of unsigned char: uninitialised, suitably aligned for any element type,
        // and releasable by unique_ptr<T[]> of a trivial T.
        if (void* p = ::operator new[](bytes ? bytes : 1, std::nothrow)) return p;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

}  // namespace varnel
