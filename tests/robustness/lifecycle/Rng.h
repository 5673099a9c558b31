// The fuzzer's random numbers: SplitMix64, written out so that a seed
// replays the same session with every compiler and standard library (the
// standard distributions are not the same everywhere).
#ifndef TESTS_ROBUSTNESS_RNG_H
#define TESTS_ROBUSTNESS_RNG_H

#include <cstdint>
#include <vector>

namespace shunt_robustness {

class Rng {
public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // 0 to n - 1; n > 0. The bias of the modulo is below 2^-32 for the
    // small n used here.
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }
    int between(int low, int high) { return low + below(high - low + 1); }
    bool percent(int p) { return below(100) < p; }
    template <class T>
    const T& pick(const std::vector<T>& from) {
        return from[static_cast<std::size_t>(below(static_cast<int>(from.size())))];
    }

private:
    std::uint64_t state_;
};

// The seed of session `index` of a run started with `runSeed`: each session
// replays alone from its own seed.
inline std::uint64_t sessionSeed(std::uint64_t runSeed, std::uint64_t index) {
    Rng mix(runSeed ^ (index * 0xD1B54A32D192ED03ull));
    return mix.next();
}

}  // namespace shunt_robustness

#endif
