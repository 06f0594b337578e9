#pragma once
// The benchmarks' random numbers: splitmix64, tiny, fast and the same on every platform,
// unlike the standard distributions, so a seed always gives the same corpus or tree.
#include <array>
#include <cstddef>
#include <cstdint>

namespace varnel::bench {

class Rng {
  public:
    explicit Rng(uint64_t seed) : state_(seed) {}
    uint64_t next() {
        uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    // 0 .. n-1
    uint64_t below(uint64_t n) { return n == 0 ? 0 : next() % n; }
    uint64_t between(uint64_t lo, uint64_t hi) { return lo + below(hi - lo + 1); }
    bool chance(int percent) { return below(100) < static_cast<uint64_t>(percent); }
    bool chancePerMille(int perMille) { return below(1000) < static_cast<uint64_t>(perMille); }
    template <class T, size_t N>
    const T& pick(const std::array<T, N>& items) {
        return items[below(N)];
    }

  private:
    uint64_t state_;
};

}  // namespace varnel::bench
