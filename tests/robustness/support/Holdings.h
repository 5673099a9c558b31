// What the plug-in holds of the host at one moment, read from the host's
// counters, and the exceptions the plug-in's design allows when a host call
// that gives something back fails.
#ifndef TESTS_ROBUSTNESS_HOLDINGS_H
#define TESTS_ROBUSTNESS_HOLDINGS_H

#include <map>
#include <optional>
#include <string>

#include "simhost/Host.h"

namespace shunt_robustness {

struct Holdings {
    std::map<std::string, long> suites;  // acquisitions not released, by suite name; only non-zero ones
    long blocks = 0;                     // host blocks not freed
    long hostStrings = 0;
    long accessRefs = 0;

    bool empty() const { return suites.empty() && blocks == 0 && hostStrings == 0 && accessRefs == 0; }
    bool operator==(const Holdings&) const = default;
};

Holdings holdingsOf(const simhost::Host& host);
// Every count of `a` less that of `b`; suites that come to 0 are dropped.
Holdings difference(const Holdings& a, const Holdings& b);
std::string describe(const Holdings& holdings);

// What an open palette holds: one level of the suite table and an access
// reference on the plug-in (the globals record is counted apart).
Holdings paletteLevel();
// The suites of one level of the suite table from row `first` (from 0) on.
Holdings suiteTableFrom(std::size_t first);

// Why `leftOver`, what the plug-in still holds when it should hold nothing,
// is what its design leaves behind when the host failed the call `hit` (as
// Faults::nthCallHit() names it); nullopt when nothing excuses it.
//
// - A suite release the host refuses ends the release walk: that suite and
//   the rows after it stay acquired (or, for the two suites acquired around
//   a single step, that one suite stays acquired once).
// - The palette's access reference cannot be given back when the host
//   refuses to take it.
// - A palette that could not take its access reference does not keep the
//   host from unloading the plug-in; after the reload the nesting count
//   starts at 0, so the palette's level of the suite table stays acquired.
// - The globals record stays allocated when the host fails to free it, and
//   when a suite after the "ADM Basic Suite" is refused on "Shutdown", which
//   ends the call before the plug-in's shut-down runs.
// `level` is what the level being released held: one whole suite table
// unless the host refused some of it when it was acquired.
std::optional<std::string> documentedLeftOver(const std::string& hit, const Holdings& leftOver,
                                              const Holdings& level = suiteTableFrom(0));

}  // namespace shunt_robustness

#endif
