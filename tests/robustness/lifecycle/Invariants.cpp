#include "Invariants.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace shunt_robustness {

namespace {

constexpr const char* kCancelled = "There was an error, filter cancelled.";

bool byPlugin(StepKind kind) {
    switch (kind) {
        case StepKind::Keys:
        case StepKind::Select:
        case StepKind::Edit:
        case StepKind::Fault:
        case StepKind::Move:
            return false;
        default:
            return true;
    }
}

bool selected(const DocumentSnapshot& snapshot, simhost::ArtId id) {
    return std::find(snapshot.selection.begin(), snapshot.selection.end(), id) != snapshot.selection.end();
}

bool sameStyle(const AIPathStyle& a, const AIPathStyle& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}
bool sameMatrix(const AIRealMatrix& a, const AIRealMatrix& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool carriesMatrix(AIArtType type) {
    return type == kPlacedArt || type == kRasterArt || type == kForeignObjectArt;
}

std::string matrixText(const AIRealMatrix& m) {
    return "(" + std::to_string(m.a) + ", " + std::to_string(m.b) + ", " + std::to_string(m.c) + ", " +
           std::to_string(m.d) + ", " + std::to_string(m.tx) + ", " + std::to_string(m.ty) + ")";
}

std::vector<std::string> alertsSince(const simhost::Host& host, std::size_t first) {
    std::vector<std::string> out;
    const auto& events = host.events();
    for (std::size_t i = first; i < events.size(); ++i) {
        if (const auto* alert = std::get_if<simhost::AlertShown>(&events[i])) {
            out.push_back(alert->text);
        }
    }
    return out;
}

bool errorDialogSince(const simhost::Host& host, std::size_t first) {
    const auto& events = host.events();
    for (std::size_t i = first; i < events.size(); ++i) {
        if (const auto* dialog = std::get_if<simhost::DialogShown>(&events[i]);
            dialog && dialog->name == "Error Dialog") {
            return true;
        }
    }
    return false;
}

// Every count of `part` is at most that of `whole`.
bool within(const Holdings& part, const Holdings& whole) {
    for (const auto& [name, count] : part.suites) {
        const auto found = whole.suites.find(name);
        if (count < 0 || count > (found == whole.suites.end() ? 0 : found->second)) {
            return false;
        }
    }
    return part.blocks >= 0 && part.blocks <= whole.blocks && part.hostStrings >= 0 &&
           part.hostStrings <= whole.hostStrings && part.accessRefs >= 0 &&
           part.accessRefs <= whole.accessRefs;
}

Holdings sum(const Holdings& a, const Holdings& b) {
    Holdings negated;
    for (const auto& [name, count] : b.suites) {
        negated.suites[name] = -count;
    }
    negated.blocks = -b.blocks;
    negated.hostStrings = -b.hostStrings;
    negated.accessRefs = -b.accessRefs;
    return difference(a, negated);
}

// Whether the failed calls `hits` (oldest first), each leaving at most one
// left-over of the kinds the design allows, explain `leftOver` together.
// Most left-overs show at the step of their failure; a palette orphaned by
// an unload shows only when it goes, at shut-down, maybe beside another.
bool explainedByFailures(const Holdings& leftOver, const std::vector<std::string>& hits,
                         const Holdings& level, bool shutdown) {
    if (leftOver.empty()) {
        return true;
    }
    for (auto hit = hits.rbegin(); hit != hits.rend(); ++hit) {
        if (documentedLeftOver(*hit, leftOver, level)) {
            return true;
        }
    }
    // A refused release ends the release walk and leaves the globals of the
    // rows after it set, the "ADM Basic Suite" among them; the next walk then
    // takes any refused row for one after that suite, shows it and ends the
    // call. On "Shutdown" that keeps the globals record from being freed.
    Holdings block;
    block.blocks = 1;
    const bool releaseRefused = std::find(hits.begin(), hits.end(), "SP Basic Suite:1") != hits.end();
    for (std::size_t i = 0; i < hits.size(); ++i) {
        std::vector<std::string> others = hits;
        others.erase(others.begin() + static_cast<std::ptrdiff_t>(i));
        std::optional<Holdings> part;
        if (hits[i] == "SP Access Suite:0") {
            part = suiteTableFrom(0);
        } else if (shutdown && releaseRefused && hits[i].rfind("acquire ", 0) == 0) {
            part = block;
        }
        if (part && within(*part, leftOver) &&
            explainedByFailures(difference(leftOver, *part), others, level, shutdown)) {
            return true;
        }
    }
    return false;
}

// What the plug-in should hold after the step, and what of the rest a failed
// call explains.
struct HoldingsJudgement {
    long globalsBlocks = 0;
    Holdings paletteHoldings;
    Holdings newlyExcused;
    std::optional<std::string> problem;
};

HoldingsJudgement judgeHoldings(Session& session, const StepRecord& step, const InvariantState& state) {
    HoldingsJudgement out;
    out.globalsBlocks = state.globalsBlocks;
    out.paletteHoldings = state.paletteHoldings;
    const Holdings after = holdingsOf(session.host());
    const bool paletteNow = session.paletteExists();
    const bool transition =
        step.kind == StepKind::Startup || step.kind == StepKind::Shutdown || step.paletteBefore != paletteNow;
    if (!transition && step.faultHit.empty() && after == step.holdingsBefore) {
        return out;  // nothing taken or given back: as balanced as after the step before
    }

    if (step.kind == StepKind::Startup) {
        const long observed = after.blocks - state.excused.blocks;
        if ((step.faultHit.empty() && observed != 1) || observed < 0 || observed > 1) {
            out.problem = "\"Startup\" left " + std::to_string(observed) + " globals records allocated";
        }
        out.globalsBlocks = std::clamp(observed, 0L, 1L);
    }
    if (!step.paletteBefore && paletteNow) {
        Holdings taken = difference(after, step.holdingsBefore);
        taken.blocks = 0;
        if (!step.faultHit.empty()) {
            // One failed call either kept the palette from part of its level
            // or left something of the call that made it; the palette holds
            // at most one level, the rest is for the failure to explain.
            Holdings level = paletteLevel();
            for (auto& [name, count] : level.suites) {
                const auto found = taken.suites.find(name);
                count = std::min(count, found == taken.suites.end() ? 0L : found->second);
            }
            level.accessRefs = std::min(level.accessRefs, taken.accessRefs);
            taken = difference(level, Holdings{});
        }
        if (!within(taken, paletteLevel()) || (step.faultHit.empty() && !(taken == paletteLevel()))) {
            out.problem = "making the palette took " + describe(taken) +
                          " where one level of the suite table and an access reference are due";
        }
        out.paletteHoldings = taken;
    }
    if (!paletteNow) {
        out.paletteHoldings = Holdings{};
    }
    if (step.kind == StepKind::Shutdown) {
        out.globalsBlocks = 0;
    }
    Holdings due = out.paletteHoldings;
    due.blocks += out.globalsBlocks;
    due = sum(due, state.excused);
    const Holdings unexplained = difference(after, due);
    if (unexplained.empty() || out.problem) {
        return out;
    }
    std::vector<std::string> hits = state.hits;
    if (!step.faultHit.empty()) {
        hits.push_back(step.faultHit);
    }
    // The level a release walk of this step gave back: the palette's, or a
    // whole one of a call made while there was no palette.
    const Holdings level = step.paletteBefore ? state.paletteHoldings : suiteTableFrom(0);
    if (explainedByFailures(unexplained, hits, level, step.kind == StepKind::Shutdown)) {
        out.newlyExcused = unexplained;
        return out;
    }
    out.problem = "the plug-in holds " + describe(after) + " where " + describe(due) + " is due";
    return out;
}

std::optional<std::string> noHostViolation(Session& session, const StepRecord&, const InvariantState&) {
    const auto& violations = session.host().violations();
    if (violations.empty()) {
        return std::nullopt;
    }
    return "the host saw a violation: " + violations.front();
}

std::optional<std::string> noStrayCall(Session& session, const StepRecord&, const InvariantState&) {
    const auto& strays = session.host().counters().strayCalls;
    if (strays.empty()) {
        return std::nullopt;
    }
    return "a call to \"" + strays.begin()->first + "\", an entry no operation of the plug-in uses";
}

std::optional<std::string> holdingsBalance(Session& session, const StepRecord& step,
                                           const InvariantState& state) {
    return judgeHoldings(session, step, state).problem;
}

std::optional<std::string> outsideSelectionUntouched(Session& session, const StepRecord& step,
                                                     const InvariantState&) {
    if (!byPlugin(step.kind)) {
        return std::nullopt;
    }
    const simhost::Document& document = session.host().document();
    for (simhost::ArtId id = 0; id < step.before.objects.size(); ++id) {
        const ArtSnapshot& before = step.before.objects[id];
        if (!before.alive || selected(step.before, id) || !document.isLive(id)) {
            continue;
        }
        const simhost::ArtObject& now = document.art(id);
        if (!sameStyle(before.style, now.style)) {
            return before.name + ", not selected, had its path style changed";
        }
        if (!sameMatrix(before.matrix, now.matrix)) {
            return before.name + ", not selected, had its matrix changed from " + matrixText(before.matrix) +
                   " to " + matrixText(now.matrix);
        }
    }
    return std::nullopt;
}

std::optional<std::string> onlyPaletteFieldsChange(Session& session, const StepRecord& step,
                                                   const InvariantState&) {
    if (!byPlugin(step.kind)) {
        return std::nullopt;
    }
    const simhost::Document& document = session.host().document();
    for (simhost::ArtId id : step.before.selection) {
        const ArtSnapshot& before = step.before.objects[id];
        if (!document.isLive(id)) {
            continue;
        }
        const simhost::ArtObject& now = document.art(id);
        const bool stylesWritten = before.type == kPathArt;
        if (stylesWritten ? !onlyPaletteFieldsDiffer(before.style, now.style)
                          : !sameStyle(before.style, now.style)) {
            return before.name + " (type " + std::to_string(before.type) +
                   ") had bytes of its path style changed that no palette operation writes";
        }
        if (!carriesMatrix(before.type) && !sameMatrix(before.matrix, now.matrix)) {
            return before.name + " (type " + std::to_string(before.type) + ") had its matrix changed";
        }
    }
    return std::nullopt;
}

std::optional<std::string> documentKeepsItsObjects(Session& session, const StepRecord& step,
                                                   const InvariantState&) {
    if (!byPlugin(step.kind)) {
        return std::nullopt;
    }
    const DocumentSnapshot now = snapshotOf(session.host().document());
    if (now.objects.size() != step.before.objects.size()) {
        return "the document went from " + std::to_string(step.before.objects.size()) + " to " +
               std::to_string(now.objects.size()) + " objects";
    }
    for (std::size_t id = 0; id < now.objects.size(); ++id) {
        const ArtSnapshot& a = step.before.objects[id];
        const ArtSnapshot& b = now.objects[id];
        if (a.alive != b.alive || a.type != b.type || a.name != b.name || a.parent != b.parent ||
            a.children != b.children) {
            return "object " + a.name + " was added, removed, retyped or moved in the tree";
        }
    }
    if (now.selection != step.before.selection) {
        return "the selection changed";
    }
    return std::nullopt;
}

std::optional<std::string> buttonsDoWhatTheySay(Session& session, const StepRecord& step,
                                                const InvariantState& state) {
    if (!step.expected || !step.faultHit.empty() || !state.paletteHealthy) {
        return std::nullopt;
    }
    const DocumentSnapshot now = snapshotOf(session.host().document());
    const DocumentSnapshot& expected = step.expected->document;
    for (simhost::ArtId id = 0; id < expected.objects.size() && id < now.objects.size(); ++id) {
        const ArtSnapshot& want = expected.objects[id];
        const ArtSnapshot& got = now.objects[id];
        if (!want.alive) {
            continue;
        }
        if (!sameStyle(want.style, got.style)) {
            return want.name + " has not the path style it should have: pattern matrix " +
                   matrixText(got.style.transform) + " (due " + matrixText(want.style.transform) +
                   "), dash offset " + std::to_string(got.style.dashOffset) + " (due " +
                   std::to_string(want.style.dashOffset) + ")";
        }
        if (!sameMatrix(want.matrix, got.matrix)) {
            return want.name + " has the matrix " + matrixText(got.matrix) + " where " +
                   matrixText(want.matrix) + " is due";
        }
    }
    return std::nullopt;
}

std::optional<std::string> alertsAsExpected(Session& session, const StepRecord& step,
                                            const InvariantState& state) {
    if (!step.expected || !step.faultHit.empty() || !state.paletteHealthy) {
        return std::nullopt;
    }
    const std::vector<std::string> alerts = alertsSince(session.host(), step.eventsBefore);
    const Expectation& expected = *step.expected;
    bool matches = alerts == expected.alerts;
    if (!expected.alertPrefix.empty()) {
        matches = alerts.size() == 1 &&
                  alerts[0].compare(0, expected.alertPrefix.size(), expected.alertPrefix) == 0;
    }
    if (matches) {
        return std::nullopt;
    }
    std::string seen;
    for (const auto& alert : alerts) {
        seen += (seen.empty() ? "\"" : ", \"") + alert + "\"";
    }
    return "the user saw " + (seen.empty() ? std::string("no alert") : seen) + " where " +
           std::to_string(expected.alerts.size()) + (expected.alertPrefix.empty() ? "" : " matrix text") +
           " alert(s) are due";
}

std::optional<std::string> noErrorWithoutAFailure(Session& session, const StepRecord& step,
                                                  const InvariantState& state) {
    const bool palettePlain = !step.paletteBefore || state.paletteHealthy;
    if (!step.faultHit.empty() || !state.startedCleanly || !palettePlain) {
        return std::nullopt;
    }
    for (const std::string& alert : alertsSince(session.host(), step.eventsBefore)) {
        if (alert == kCancelled || alert == "ERROR!" || alert.compare(0, 7, "Error: ") == 0 ||
            alert == "Error setting matrix in pattern!") {
            return "the user saw \"" + alert + "\" though no host call failed";
        }
    }
    if (errorDialogSince(session.host(), step.eventsBefore)) {
        return "the error dialog came up though no host call failed";
    }
    return std::nullopt;
}

std::optional<std::string> checkMarkFollowsVisibility(Session& session, const StepRecord& step,
                                                      const InvariantState& state) {
    if (step.kind != StepKind::MenuUpdate || !step.faultHit.empty() || !state.paletteHealthy ||
        !session.paletteExists()) {
        return std::nullopt;
    }
    const std::optional<bool> checked = session.checkMark(kPaletteMenuText);
    const std::optional<bool> visible = session.paletteVisible();
    if (checked && visible && *checked == *visible) {
        return std::nullopt;
    }
    return std::string("after the update the palette item is ") +
           (checked && *checked ? "checked" : "unchecked") + " while the palette is " +
           (visible && *visible ? "visible" : "hidden");
}

std::optional<std::string> paletteItemTogglesThePalette(Session& session, const StepRecord& step,
                                                        const InvariantState& state) {
    if (step.kind != StepKind::MenuGo || step.item != 0 || !step.faultHit.empty() || !state.paletteHealthy ||
        !step.visibleBefore) {
        return std::nullopt;
    }
    const std::optional<bool> visible = session.paletteVisible();
    if (visible && *visible != *step.visibleBefore) {
        return std::nullopt;
    }
    return std::string("choosing the palette item left the palette ") +
           (visible && *visible ? "visible" : "hidden");
}

std::optional<std::string> paletteLivesUntilShutdown(Session& session, const StepRecord& step,
                                                     const InvariantState& state) {
    const bool now = session.paletteExists();
    if (step.paletteBefore && !now && step.kind != StepKind::Shutdown) {
        return "the palette went away before shut-down";
    }
    if (step.kind == StepKind::Shutdown && now && step.faultHit.empty()) {
        return "the palette is still there after shut-down";
    }
    if (step.kind == StepKind::ApplicationStarted && !now && step.faultHit.empty() && state.startedCleanly) {
        return "no palette after the application started";
    }
    return std::nullopt;
}

std::optional<std::string> globalsParkedAndCleared(Session& session, const StepRecord& step,
                                                   const InvariantState& state) {
    if (state.excused.blocks != 0) {
        return std::nullopt;  // a record the design leaves allocated is still the plug-in's
    }
    const void* slot = session.host().plugin(session.plugin()).globals;
    if (step.kind == StepKind::Unload && !step.unloadRefused &&
        (slot != nullptr) != (state.globalsBlocks == 1)) {
        return slot != nullptr ? "the unload parked a globals record the plug-in should not have"
                               : "the unload parked no globals record, so the reload will find none";
    }
    if (step.kind == StepKind::Shutdown && step.faultHit.empty() && slot != nullptr) {
        return "after shut-down the host still keeps a globals record for the plug-in";
    }
    return std::nullopt;
}

}  // namespace

const std::vector<Invariant>& invariants() {
    static const std::vector<Invariant> all = {
        {"no host violation", noHostViolation},
        {"no stray call", noStrayCall},
        {"holdings balance", holdingsBalance},
        {"objects outside the selection untouched", outsideSelectionUntouched},
        {"selected objects change only the palette's fields", onlyPaletteFieldsChange},
        {"the document keeps its objects", documentKeepsItsObjects},
        {"palette buttons do what they say", buttonsDoWhatTheySay},
        {"alerts as expected", alertsAsExpected},
        {"no error without a failure", noErrorWithoutAFailure},
        {"check mark follows visibility", checkMarkFollowsVisibility},
        {"palette item shows and hides the palette", paletteItemTogglesThePalette},
        {"palette lives from the application's start to shut-down", paletteLivesUntilShutdown},
        {"globals parked at unload and cleared at shut-down", globalsParkedAndCleared},
    };
    return all;
}

const Invariant& invariantNamed(const std::string& name) {
    for (const Invariant& invariant : invariants()) {
        if (name == invariant.name) {
            return invariant;
        }
    }
    throw std::logic_error("no invariant named " + name);
}

void advanceState(Session& session, const StepRecord& step, InvariantState& state) {
    const HoldingsJudgement judged = judgeHoldings(session, step, state);
    state.globalsBlocks = judged.globalsBlocks;
    state.paletteHoldings = judged.paletteHoldings;
    state.excused = sum(state.excused, judged.newlyExcused);
    if (!step.faultHit.empty()) {
        state.hits.push_back(step.faultHit);
    }
    const bool paletteNow = session.paletteExists();
    if (step.kind == StepKind::Startup) {
        state.startedCleanly = step.faultHit.empty();
    }
    if (!step.paletteBefore && paletteNow) {
        state.paletteHealthy = step.faultHit.empty() && state.startedCleanly;
    }
    if (!paletteNow || (step.kind == StepKind::Reload && step.paletteBefore)) {
        // A reload under a living palette starts the plug-in's nesting count
        // afresh: the palette no longer holds the suites it needs.
        state.paletteHealthy = false;
    }
    if (step.kind == StepKind::Shutdown) {
        state.startedCleanly = false;
    }
}

}  // namespace shunt_robustness
