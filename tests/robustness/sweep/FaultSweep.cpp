#include "FaultSweep.h"

#include <algorithm>

#include "SuiteTable.h"

namespace shunt_robustness {

namespace {

constexpr const char* kCancelled = "There was an error, filter cancelled.";
constexpr const char* kStyleWriteAlert = "ERROR!";
constexpr const char* kPatternMatrixAlert = "Error setting matrix in pattern!";
constexpr const char* kErrorDialog = "Error Dialog";

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

long countOf(const std::vector<std::string>& alerts, const std::string& text) {
    return std::count(alerts.begin(), alerts.end(), text);
}

bool hasRun(const std::vector<std::string>& alerts, const std::vector<std::string>& run) {
    return std::search(alerts.begin(), alerts.end(), run.begin(), run.end()) != alerts.end();
}

const simhost::DialogShown* findDialog(const SweepRun& run, const std::string& name) {
    for (const auto& dialog : run.dialogs) {
        if (dialog.name == name) {
            return &dialog;
        }
    }
    return nullptr;
}

std::string itemText(const simhost::DialogShown& dialog, int item) {
    for (const auto& [id, text] : dialog.itemTexts) {
        if (id == item) {
            return text;
        }
    }
    return "(none)";
}

std::string listed(const std::vector<std::string>& alerts) {
    std::string out;
    for (const auto& alert : alerts) {
        out += (out.empty() ? "\"" : ", \"") + alert + "\"";
    }
    return out.empty() ? "no alert" : out;
}

// The row of the suite table an acquisition named in `hit` asked for, if any.
std::optional<std::size_t> tableRow(const std::string& hit) {
    for (std::size_t row = 0; row < kSuiteTable.size(); ++row) {
        const std::string asked =
            std::string("acquire ") + kSuiteTable[row].name + " " + std::to_string(kSuiteTable[row].version);
        if (hit == asked) {
            return row;
        }
    }
    return std::nullopt;
}

}  // namespace

SweepRun runScenario(const SweepScenario& scenario, std::optional<long> failCall) {
    Session session(defaultBundleDir());
    simhost::Host& host = session.host();
    const MixedArtwork art = addMixedArtwork(host.document());
    scenario.prepare(session, art);
    host.clearEvents();
    host.faults().clear();
    if (failCall) {
        host.faults().failNthCall(*failCall, kSweepCode);
    }
    scenario.body(session, art);

    SweepRun run;
    run.failableCalls = host.faults().failableCalls();
    run.hit = host.faults().nthCallHit();
    host.faults().clear();
    if (session.started()) {
        session.shutdown();
    }
    run.alerts = host.alerts();
    for (const auto& event : host.events()) {
        if (const auto* dialog = std::get_if<simhost::DialogShown>(&event)) {
            run.dialogs.push_back(*dialog);
        }
    }
    run.violations = host.violations();
    run.leftOver = holdingsOf(host);
    return run;
}

std::vector<std::string> spotCheck(const SweepScenario& scenario, const SweepRun& run,
                                   const SweepRun& baseline, std::vector<std::string>& checked) {
    std::vector<std::string> problems;
    const std::string& hit = run.hit;
    auto expect = [&](bool holds, const std::string& check, const std::string& what) {
        checked.push_back(check);
        if (!holds) {
            problems.push_back(check + ": expected " + what + "; the user saw " + listed(run.alerts) +
                               (run.dialogs.empty()
                                    ? ""
                                    : " and " + std::to_string(run.dialogs.size()) +
                                          " dialog(s), the first \"" + run.dialogs[0].name + "\""));
        }
    };
    auto expectErrorDialog = [&](const std::string& check, const std::string& message,
                                 const std::string& code) {
        const simhost::DialogShown* dialog = findDialog(run, kErrorDialog);
        expect(dialog != nullptr && itemText(*dialog, 2) == message && itemText(*dialog, 3) == code, check,
               "the error dialog with \"" + message + "\" and code " + code);
    };

    if (startsWith(hit, "acquire ")) {
        const std::optional<std::size_t> row = tableRow(hit);
        if (row && *row > kADMBasicRow) {
            const std::string alert = "Error: " + std::to_string(kSPSuiteNotFoundError) +
                                      ", suite: " + kSuiteTable[*row].name +
                                      ", version: " + std::to_string(kSuiteTable[*row].version) + "!";
            expect(countOf(run.alerts, alert) == 1 && findDialog(run, kErrorDialog) == nullptr,
                   "suite refused after the ADM Basic Suite",
                   "the alert \"" + alert + "\" once and no error dialog");
        } else {
            const bool anyShown = std::any_of(run.alerts.begin(), run.alerts.end(),
                                              [](const std::string& a) { return startsWith(a, "Error: "); });
            expect(!anyShown, "suite refused before the ADM Basic Suite", "no suite alert");
        }
        return problems;
    }
    if (hit == "SP Basic Suite:3") {
        expectErrorDialog("globals record not allocated", "There is not enough memory to do that.", "!MEM");
        return problems;
    }
    if (hit == "AI Menu Suite:14") {
        expect(run.alerts == baseline.alerts && run.dialogs.size() == baseline.dialogs.size(),
               "check mark not set", "nothing more than without the failure");
        return problems;
    }
    if (startsWith(hit, "AI Menu Suite:") || startsWith(hit, "AI Unicode String Suite:")) {
        // Only the menu items added at start-up call these.
        expectErrorDialog("menu item not added", "The operation could not be completed.",
                          std::to_string(kSweepCode));
        return problems;
    }
    for (const char* silent : {"AI Preference Suite:", "ADM Dialog Group Suite:", "AI Context Suite:",
                               "SP Access Suite:", "AI Notifier Suite:", "ADM Dialog Suite:0"}) {
        if (startsWith(hit, silent)) {
            // Keeping the palette's place, entering the plug-in's context, holding
            // the plug-in, the notifier and the palette itself report nothing.
            expect(run.alerts == baseline.alerts && run.dialogs.size() == baseline.dialogs.size(),
                   "palette set-up or tear-down step failed", "nothing more than without the failure");
            return problems;
        }
    }
    if (hit == "ADM Dialog Suite:1" && findDialog(run, "About Dialog") == nullptr &&
        (scenario.name == "MenuItems" || scenario.name == "MenusBeforeTheApplicationStarted" ||
         scenario.name == "AboutBoxClosedOtherwise")) {
        // The about box from its menu item: the modal call's failure comes back as its result.
        expectErrorDialog("about box from the menu not shown", "The host reported a general failure.", "-1");
        return problems;
    }
    if (scenario.name == "AboutBoxClosedOtherwise") {
        // The error dialog for the about box's result 99, which the list does not name.
        if (hit == "ADM Dialog Suite:1") {
            expect(findDialog(run, kErrorDialog) == nullptr, "error dialog not built", "no error dialog");
        } else if (hit == "ADM Basic Suite:0") {
            // A code string that cannot be read looks like the end of the list, so
            // the message before it is shown; a message that cannot be read shows
            // no dialog. The code itself is never wrong.
            const simhost::DialogShown* dialog = findDialog(run, kErrorDialog);
            expect(dialog == nullptr || itemText(*dialog, 3) == "99", "error list not read",
                   "no error dialog, or one with the code 99");
        } else if (hit == "AI User Suite:4" || hit == "AI User Suite:5") {
            expectErrorDialog("error dialog with a number the host did not convert",
                              "The operation could not be completed.", "99");
        }
        return problems;
    }
    if (hit == "ADM Dialog Suite:1" && scenario.name == "AboutBox") {
        expect(run.dialogs.empty() && run.alerts.empty(), "about box on the host's request not shown",
               "nothing: the host's about request drops the result");
        return problems;
    }
    if (hit == "AI User Suite:4" && scenario.name == "PopupShowTrackAndOtherEntries") {
        expect(run.alerts.size() == 1 && run.alerts[0] == kCancelled, "matrix text not written",
               "only \"" + std::string(kCancelled) + "\"");
        return problems;
    }
    if (scenario.walk == Walk::None) {
        return problems;
    }
    if (hit == "AI Path Style Suite:1") {
        const char* first = scenario.walk == Walk::Apply ? kPatternMatrixAlert : kStyleWriteAlert;
        if (scenario.walk != Walk::Capture) {
            expect(hasRun(run.alerts, {first, kCancelled}), "path style not written",
                   "\"" + std::string(first) + "\" then \"" + kCancelled + "\"");
        }
    } else if (hit == "AI Art Suite:6" || hit == "AI Path Style Suite:0") {
        expect(countOf(run.alerts, kCancelled) == 1 && countOf(run.alerts, kStyleWriteAlert) == 0 &&
                   countOf(run.alerts, kPatternMatrixAlert) == 0,
               "art type or path style not read",
               "\"" + std::string(kCancelled) + "\" once, nothing about writing");
    } else if (hit == "AI Matching Art Suite:0") {
        const bool nothingNew = std::all_of(run.alerts.begin(), run.alerts.end(), [&](const std::string& a) {
            return countOf(baseline.alerts, a) > 0;
        });
        expect(nothingNew && countOf(run.alerts, kCancelled) <= countOf(baseline.alerts, kCancelled),
               "selection not read", "no alert the run without failure does not show");
    } else if (hit == "AI Placed Suite:3" || hit == "AI Raster Suite:5" ||
               (scenario.walk == Walk::Reset && (hit == "AI Placed Suite:2" || hit == "AI Raster Suite:4"))) {
        if (scenario.walk == Walk::Reset || scenario.walk == Walk::Apply) {
            expect(countOf(run.alerts, kCancelled) == 1 && !run.alerts.empty() &&
                       run.alerts.back() == kCancelled,
                   "image matrix not reset or applied",
                   "\"" + std::string(kCancelled) + "\" once, after the walk");
        }
    } else if (scenario.walk == Walk::Capture && (hit == "AI Placed Suite:2" || hit == "AI Raster Suite:4")) {
        expect(countOf(run.alerts, kCancelled) == 1, "image matrix not captured",
               "\"" + std::string(kCancelled) + "\" once");
    }
    return problems;
}

}  // namespace shunt_robustness
