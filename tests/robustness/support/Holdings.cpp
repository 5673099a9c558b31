#include "Holdings.h"

#include <algorithm>
#include <vector>

#include "SuiteTable.h"

namespace shunt_robustness {

namespace {

void addSuites(std::map<std::string, long>& into, const std::map<std::string, long>& from, long sign) {
    for (const auto& [name, count] : from) {
        if ((into[name] += sign * count) == 0) {
            into.erase(name);
        }
    }
}

}  // namespace

Holdings holdingsOf(const simhost::Host& host) {
    Holdings out;
    const simhost::Counters& counters = host.counters();
    // Both counts are sorted by name: one pass over them, in step.
    auto released = counters.released.begin();
    for (const auto& [name, acquired] : counters.acquired) {
        for (; released != counters.released.end() && released->first < name; ++released) {
            out.suites.emplace_hint(out.suites.end(), released->first, -released->second);
        }
        long held = acquired;
        if (released != counters.released.end() && released->first == name) {
            held -= released->second;
            ++released;
        }
        if (held != 0) {
            out.suites.emplace_hint(out.suites.end(), name, held);
        }
    }
    for (; released != counters.released.end(); ++released) {
        out.suites.emplace_hint(out.suites.end(), released->first, -released->second);
    }
    out.blocks = static_cast<long>(host.liveBlocks());
    out.hostStrings = counters.hostStringsAlive;
    out.accessRefs = counters.accessRefsHeld;
    return out;
}

Holdings difference(const Holdings& a, const Holdings& b) {
    Holdings out;
    addSuites(out.suites, a.suites, 1);
    addSuites(out.suites, b.suites, -1);
    out.blocks = a.blocks - b.blocks;
    out.hostStrings = a.hostStrings - b.hostStrings;
    out.accessRefs = a.accessRefs - b.accessRefs;
    return out;
}

std::string describe(const Holdings& holdings) {
    if (holdings.empty()) {
        return "nothing";
    }
    std::string out;
    auto add = [&out](const std::string& part) { out += (out.empty() ? "" : ", ") + part; };
    for (const auto& [name, count] : holdings.suites) {
        add("\"" + name + "\" x" + std::to_string(count));
    }
    if (holdings.blocks != 0) {
        add(std::to_string(holdings.blocks) + " block(s)");
    }
    if (holdings.hostStrings != 0) {
        add(std::to_string(holdings.hostStrings) + " host string(s)");
    }
    if (holdings.accessRefs != 0) {
        add(std::to_string(holdings.accessRefs) + " access reference(s)");
    }
    return out;
}

Holdings suiteTableFrom(std::size_t first) {
    static const std::vector<Holdings> fromRow = [] {
        std::vector<Holdings> rows(kSuiteTable.size() + 1);
        for (std::size_t start = 0; start < kSuiteTable.size(); ++start) {
            for (std::size_t row = start; row < kSuiteTable.size(); ++row) {
                ++rows[start].suites[kSuiteTable[row].name];
            }
        }
        return rows;
    }();
    return fromRow[std::min(first, kSuiteTable.size())];
}

Holdings paletteLevel() {
    static const Holdings level = [] {
        Holdings out = suiteTableFrom(0);
        out.accessRefs = 1;
        return out;
    }();
    return level;
}

std::optional<std::string> documentedLeftOver(const std::string& hit, const Holdings& leftOver,
                                              const Holdings& level) {
    if (hit == "SP Basic Suite:1") {
        const Holdings whole = suiteTableFrom(0);
        for (std::size_t row = 0; row < kSuiteTable.size(); ++row) {
            // The rows from the failed one on, as far as the level held them.
            // A suite the table names twice, one row of it refused, may have
            // lost either row: its count may lie between the two readings.
            const Holdings rest = suiteTableFrom(row);
            bool fits = leftOver.blocks == 0 && leftOver.hostStrings == 0 && leftOver.accessRefs == 0;
            for (const auto& [name, count] : leftOver.suites) {
                fits = fits && rest.suites.count(name) != 0;
            }
            for (const auto& [name, inRest] : rest.suites) {
                const auto heldIt = level.suites.find(name);
                const long held = heldIt == level.suites.end() ? 0 : heldIt->second;
                const long refused = whole.suites.at(name) - held;
                const auto leftIt = leftOver.suites.find(name);
                const long left = leftIt == leftOver.suites.end() ? 0 : leftIt->second;
                fits = fits && left >= std::max(0L, inRest - refused) && left <= std::min(inRest, held);
            }
            if (fits && !leftOver.empty()) {
                return "a suite release the host refused ended the release walk; that row of the suite table "
                       "and "
                       "the ones after it stay acquired";
            }
        }
        if (leftOver.blocks == 0 && leftOver.hostStrings == 0 && leftOver.accessRefs == 0 &&
            leftOver.suites.size() == 1 && leftOver.suites.begin()->second == 1 &&
            (leftOver.suites.begin()->first == kAIMenuSuite ||
             leftOver.suites.begin()->first == kAIRealMathSuite)) {
            return "the host refused the release of \"" + leftOver.suites.begin()->first +
                   "\" acquired around one step; the plug-in drops that release's result";
        }
        return std::nullopt;
    }
    if (hit == "SP Access Suite:0" && leftOver == suiteTableFrom(0)) {
        return "the palette could not take its access reference, so the host was free to unload the plug-in "
               "under it; the reload starts the nesting count afresh and the palette's level of the suite "
               "table is never released";
    }
    Holdings one;
    if (hit == "SP Access Suite:1") {
        one.accessRefs = 1;
        if (leftOver == one) {
            return "the host refused to take back the palette's access reference";
        }
        return std::nullopt;
    }
    one.blocks = 1;
    if (hit == "SP Basic Suite:4" && leftOver == one) {
        return "the host failed to free the globals record";
    }
    const std::string acquire = "acquire ";
    if (hit.compare(0, acquire.size(), acquire) == 0 && leftOver == one) {
        const std::string suite = hit.substr(acquire.size(), hit.rfind(' ') - acquire.size());
        for (std::size_t row = kADMBasicRow + 1; row < kSuiteTable.size(); ++row) {
            if (suite == kSuiteTable[row].name) {
                return "a suite after the \"ADM Basic Suite\" was refused on \"Shutdown\": the call ends "
                       "before the "
                       "plug-in's shut-down, so the globals record is never freed";
            }
        }
    }
    return std::nullopt;
}

}  // namespace shunt_robustness
