// shunt-lifecycle-fuzz: runs seeded random host sessions against the bundle
// and checks the host's contract and the palette's behaviour after every
// step. Prints the run's seed; a failing session prints its own seed, which
// replays it alone (--session-seed, with --log for every step).
#include <CLI/CLI.hpp>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <map>
#include <random>

#include "CrashNote.h"
#include "LifecycleFuzzer.h"
#include "Rng.h"

using namespace shunt_robustness;

namespace {

std::string hex(std::uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%016llx", static_cast<unsigned long long>(value));
    return text;
}

int replay(std::uint64_t seed, const FuzzOptions& options) {
    setCrashNote("lifecycle fuzz session " + hex(seed));
    const SessionResult result = runFuzzSession(seed, options);
    for (const std::string& line : result.log) {
        std::cout << line << "\n";
    }
    if (result.failure) {
        std::cout << "session " << hex(seed) << " FAILED at " << *result.failure << "\n";
        return 1;
    }
    std::cout << "session " << hex(seed) << ": " << result.steps << " steps, " << result.faultsFired
              << " host failure(s) injected, every check held\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Random host sessions against the Shunt Palette, checked after every step"};
    std::string seedText;
    std::string sessionSeedText;
    long sessions = 1000;
    FuzzOptions options;
    app.add_option("--seed", seedText, "seed of the run (default: $SHUNT_FUZZ_SEED, else a fresh one)");
    app.add_option("--sessions", sessions, "number of sessions")->check(CLI::PositiveNumber);
    app.add_option("--max-steps", options.maxSteps, "most steps of a session before it shuts down")
        ->check(CLI::PositiveNumber);
    app.add_option("--session-seed", sessionSeedText, "replay the one session with this seed");
    app.add_flag("--log", options.keepLog, "print every step of a replayed session");
    CLI11_PARSE(app, argc, argv);

    auto parseSeed = [](const std::string& text) { return std::stoull(text, nullptr, 0); };
    try {
        if (!sessionSeedText.empty()) {
            return replay(parseSeed(sessionSeedText), options);
        }
        if (seedText.empty()) {
            if (const char* fromEnvironment = std::getenv("SHUNT_FUZZ_SEED")) {
                seedText = fromEnvironment;
            }
        }
        const std::uint64_t runSeed =
            seedText.empty()
                ? (static_cast<std::uint64_t>(std::random_device{}()) << 32) ^ std::random_device{}()
                : parseSeed(seedText);
        std::cout << "lifecycle fuzz: run seed " << hex(runSeed) << ", " << sessions
                  << " sessions of at most " << options.maxSteps << " steps" << std::endl;

        const auto started = std::chrono::steady_clock::now();
        long steps = 0;
        long faults = 0;
        long effects = 0;
        std::map<std::string, long> byKind;
        for (long index = 0; index < sessions; ++index) {
            const std::uint64_t seed = sessionSeed(runSeed, static_cast<std::uint64_t>(index));
            setCrashNote("lifecycle fuzz session " + std::to_string(index) + ", seed " + hex(seed) +
                         "; replay: shunt-lifecycle-fuzz --session-seed " + hex(seed) + " --log");
            const SessionResult result = runFuzzSession(seed, options);
            steps += result.steps;
            faults += result.faultsFired;
            effects += result.effectsChecked;
            for (const auto& [kind, count] : result.stepsByKind) {
                byKind[kind] += count;
            }
            if (result.failure) {
                std::cout << "session " << index << " (seed " << hex(seed) << ") FAILED at "
                          << *result.failure << "\nreplay: shunt-lifecycle-fuzz --session-seed " << hex(seed)
                          << " --log\n";
                return 1;
            }
        }
        clearCrashNote();
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        std::cout << "lifecycle fuzz: " << sessions << " sessions, " << steps << " steps (" << effects
                  << " clicks and popup choices checked against the oracle), " << faults
                  << " host failures injected, 0 failed, " << seconds << " s\n  steps by kind:";
        for (const auto& [kind, count] : byKind) {
            std::cout << " " << kind << " " << count << ";";
        }
        std::cout << "\n";
    } catch (const std::exception& error) {
        std::cerr << "shunt-lifecycle-fuzz: " << error.what() << "\n";
        return 2;
    }
    return 0;
}
