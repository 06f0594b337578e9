#pragma once
// Clock and median, as every benchmark reads them.
#include <algorithm>
#include <chrono>
#include <vector>

namespace varnel::bench {

// Seconds on the steady clock.
inline double now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

inline double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace varnel::bench
