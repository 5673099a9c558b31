// The fuzzer itself: a seed replays its session exactly, and a short run
// finds nothing wrong (the long runs are the fuzzer program's, where it is
// built).
#include <gtest/gtest.h>

#include "LifecycleFuzzer.h"
#include "Rng.h"

namespace shunt_robustness {
namespace {

TEST(LifecycleFuzzer, ASeedReplaysItsSessionStepForStep) {
    FuzzOptions options;
    options.keepLog = true;
    for (std::uint64_t index = 0; index < 20; ++index) {
        const std::uint64_t seed = sessionSeed(7, index);
        const SessionResult first = runFuzzSession(seed, options);
        const SessionResult again = runFuzzSession(seed, options);
        EXPECT_EQ(first.log, again.log) << "seed " << seed;
        EXPECT_EQ(first.faultsFired, again.faultsFired);
    }
}

TEST(LifecycleFuzzer, SessionsOfDifferentSeedsDiffer) {
    FuzzOptions options;
    options.keepLog = true;
    EXPECT_NE(runFuzzSession(sessionSeed(1, 0), options).log, runFuzzSession(sessionSeed(1, 1), options).log);
}

TEST(LifecycleFuzzer, AShortRunFindsNothingWrong) {
    // Prints the run's seed, so that a failure here can be replayed with the
    // fuzzer program or a test of its own.
    const std::uint64_t runSeed = 0x5EED;
    std::cout << "lifecycle fuzz: run seed " << runSeed << "\n";
    long steps = 0;
    for (std::uint64_t index = 0; index < 150; ++index) {
        const SessionResult result = runFuzzSession(sessionSeed(runSeed, index), FuzzOptions{});
        ASSERT_FALSE(result.failure) << "session seed " << result.seed << ": " << *result.failure;
        steps += result.steps;
    }
    EXPECT_GT(steps, 150);
}

}  // namespace
}  // namespace shunt_robustness
