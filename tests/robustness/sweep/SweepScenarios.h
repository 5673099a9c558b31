// The scenarios of the fault sweep. Together they make every call the
// plug-in makes to the host: start-up and shut-down, every palette button
// over a mixed selection, the three popup entries and the tracker, both menu
// items and their updates, the about box, unload and reload.
//
// A scenario prepares the host without faults, then runs its body, in which
// the sweep makes each failable host call fail in turn; the host is shut
// down afterwards if the body did not do it.
#ifndef TESTS_ROBUSTNESS_SWEEPSCENARIOS_H
#define TESTS_ROBUSTNESS_SWEEPSCENARIOS_H

#include <functional>
#include <string>
#include <vector>

#include "MixedArtwork.h"
#include "Session.h"

namespace shunt_robustness {

// Which alerts the spot checks expect from the body when a call fails.
enum class Walk {
    None,          // the body walks no selection
    PatternMoves,  // arrows and dashes: a failed style write shows "ERROR!"
    Reset,         // the same, and placed or raster writes are reported only after the walk
    Capture,
    Apply,  // a failed style write shows "Error setting matrix in pattern!"
};

struct SweepScenario {
    std::string name;
    Walk walk = Walk::None;
    std::function<void(Session&, const MixedArtwork&)> prepare;
    std::function<void(Session&, const MixedArtwork&)> body;
};

const std::vector<SweepScenario>& sweepScenarios();

}  // namespace shunt_robustness

#endif
