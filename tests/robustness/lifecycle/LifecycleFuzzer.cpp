#include "LifecycleFuzzer.h"

#include "RandomArtwork.h"
#include "Rng.h"

namespace shunt_robustness {

namespace {

const std::vector<int> kModifierKeys = {240, 241, 243, 244};
const std::vector<ASErr> kFaultCodes = {
    4242, kMacMemFullErr, kBadParameterErr, kOutOfMemoryErr, kCanceledErr, kSPSuiteNotFoundError, 1, -1};
const std::vector<std::string> kOtherNotifications = {
    "ADM Item Tracked Notifier", "ADM Bounds Changed Notifier", "ADM User Changed Notifier "};
const std::vector<std::string> kDockGroups = {"KorvaneDialogs", "Layers", "",
                                              "A group name long enough to be cut"};

// What the fuzzer knows of the plug-in beyond the checks' state.
struct Model {
    std::vector<int> keys;
    bool keyMapAvailable = true;
    bool applicationStarted = false;  // the host sent the notification
    bool quit = false;                // the host shut the plug-in down: the session is over
    AIRealMatrix captured{1, 0, 0, 1, 0, 0};
    bool capturedKnown = false;
};

struct Weighted {
    StepKind kind;
    int weight;
};

StepKind chooseKind(Rng& rng, Session& session, const Model& model) {
    const bool started = session.started();
    const bool loaded = session.loaded();
    const bool palette = session.paletteExists();
    const bool held = session.host().plugin(session.plugin()).accessRefs > 0;
    std::vector<Weighted> table = {
        {StepKind::Select, 8}, {StepKind::Edit, 5}, {StepKind::Keys, 5}, {StepKind::Fault, 7}};
    if (!loaded) {
        table.push_back({StepKind::Reload, 30});
    } else {
        table.push_back({StepKind::Unload, held ? 1 : 4});
    }
    if (!started && !model.quit) {
        table.push_back({StepKind::Startup, 40});
    } else {
        table.push_back({StepKind::MenuGo, 6});
        table.push_back({StepKind::MenuUpdate, 5});
        table.push_back({StepKind::About, 2});
        table.push_back({StepKind::Shutdown, 2});
        if (!model.applicationStarted) {
            table.push_back({StepKind::ApplicationStarted, 35});
        }
    }
    if (palette) {
        table.push_back({StepKind::Click, 40});
        table.push_back({StepKind::Choose, 10});
        table.push_back({StepKind::Track, 3});
        table.push_back({StepKind::Move, 2});
    }
    int total = 0;
    for (const Weighted& entry : table) {
        total += entry.weight;
    }
    int roll = rng.below(total);
    for (const Weighted& entry : table) {
        if (roll < entry.weight) {
            return entry.kind;
        }
        roll -= entry.weight;
    }
    return StepKind::Keys;
}

std::string keysText(const std::vector<int>& keys, bool available) {
    std::string out = available ? "" : "no key map, ";
    for (int key : keys) {
        out += std::to_string(key) + " ";
    }
    return out.empty() ? "none" : out;
}

// Plans and takes one step of kind `kind`; the record says what it did.
StepRecord takeStep(Rng& rng, Session& session, Model& model, const InvariantState& state, StepKind kind) {
    simhost::Host& host = session.host();
    StepRecord step = beginStep(session, kind, stepKindName(kind));
    switch (kind) {
        case StepKind::Startup:
            session.sendStartup();
            break;
        case StepKind::ApplicationStarted:
            session.fireApplicationStarted();
            model.applicationStarted = true;
            break;
        case StepKind::Shutdown:
            session.shutdown();
            model.quit = true;
            break;
        case StepKind::Click: {
            step.item = rng.percent(70) ? rng.between(1, 8) : rng.between(9, 11);
            step.userClick = rng.percent(92);
            const std::string type = step.userClick ? kADMUserChangedNotifier : rng.pick(kOtherNotifications);
            const AIReal length = stepLength(model.keys, model.keyMapAvailable);
            step.action = "click " + std::to_string(step.item) +
                          (step.userClick ? "" : " (\"" + type + "\")") + ", keys " +
                          keysText(model.keys, model.keyMapAvailable);
            step.expected = step.userClick ? expectClick(step.before, step.item, length)
                                           : Expectation{step.before, {}, {}};
            session.click(step.item, type);
            break;
        }
        case StepKind::Choose: {
            step.item = rng.between(0, 3);
            step.action = "choose popup entry " + std::to_string(step.item);
            AIRealMatrix captured = model.captured;
            if (model.capturedKnown) {
                step.expected = expectPopup(step.before, step.item, captured);
            }
            session.choose(step.item);
            if (step.item == 0) {
                model.captured = captured;
            }
            break;
        }
        case StepKind::Track:
            step.item = rng.between(1, 4);
            step.action = "track action " + std::to_string(step.item);
            step.expected = Expectation{step.before, {}, {}};
            session.track(step.item);
            break;
        case StepKind::MenuGo: {
            step.item = rng.below(3);
            const char* texts[] = {kPaletteMenuText, kAboutMenuText, kSharedAboutMenuText};
            step.action = std::string("menu \"") + texts[step.item] + "\"";
            session.chooseMenuItem(texts[step.item]);
            break;
        }
        case StepKind::MenuUpdate:
            session.updateMenus();
            break;
        case StepKind::About:
            session.about();
            break;
        case StepKind::Unload:
            step.unloadRefused = !session.unload();
            step.action += step.unloadRefused ? " (refused)" : "";
            break;
        case StepKind::Reload:
            session.reload();
            break;
        case StepKind::Keys:
            model.keys.clear();
            for (int key : kModifierKeys) {
                if (rng.percent(35)) {
                    model.keys.push_back(key);
                }
            }
            if (rng.percent(10)) {
                model.keys.push_back(rng.below(256));
            }
            if (rng.percent(8)) {
                model.keyMapAvailable = !model.keyMapAvailable;
            }
            session.holdKeys(model.keys);
            host.dialogs().setKeyMapAvailable(model.keyMapAvailable);
            step.action = "keys " + keysText(model.keys, model.keyMapAvailable);
            break;
        case StepKind::Select: {
            const std::vector<simhost::ArtId> selection = randomSelection(host.document(), rng);
            host.document().select(selection);
            step.action = "select " + std::to_string(selection.size()) + " object(s)";
            break;
        }
        case StepKind::Edit:
            step.action = "edit: " + editRandomly(host.document(), rng);
            break;
        case StepKind::Fault: {
            const long k = rng.between(1, 60);
            const ASErr code = rng.pick(kFaultCodes);
            host.faults().failNthCall(k, code);
            step.action =
                "fail the " + std::to_string(k) + "th host call from now with " + std::to_string(code);
            break;
        }
        case StepKind::Move:
            if (rng.percent(50)) {
                const auto v = static_cast<ASInt16>(rng.between(-200, 2000));
                const auto h = static_cast<ASInt16>(rng.between(-200, 2000));
                host.dialogs().drag(session.palette(), v, h);
                step.action = "drag the palette to " + std::to_string(v) + "," + std::to_string(h);
            } else {
                const std::string group = rng.pick(kDockGroups);
                const ADMInt32 code = rng.between(-5, 9000);
                host.dialogs().dock(session.palette(), group, code);
                step.action = "dock the palette in \"" + group + "\" at " + std::to_string(code);
            }
            break;
    }
    (void)state;
    return step;
}

}  // namespace

const char* stepKindName(StepKind kind) {
    switch (kind) {
        case StepKind::Startup:
            return "startup";
        case StepKind::ApplicationStarted:
            return "application started";
        case StepKind::Shutdown:
            return "shutdown";
        case StepKind::Click:
            return "click";
        case StepKind::Choose:
            return "choose";
        case StepKind::Track:
            return "track";
        case StepKind::MenuGo:
            return "menu";
        case StepKind::MenuUpdate:
            return "update menus";
        case StepKind::About:
            return "about";
        case StepKind::Unload:
            return "unload";
        case StepKind::Reload:
            return "reload";
        case StepKind::Keys:
            return "keys";
        case StepKind::Select:
            return "select";
        case StepKind::Edit:
            return "edit";
        case StepKind::Fault:
            return "fault";
        case StepKind::Move:
            return "move";
    }
    return "?";
}

StepRecord beginStep(Session& session, StepKind kind, std::string action) {
    StepRecord step;
    step.kind = kind;
    step.action = std::move(action);
    step.before = snapshotOf(session.host().document());
    step.holdingsBefore = holdingsOf(session.host());
    step.paletteBefore = session.paletteExists();
    step.visibleBefore = session.paletteVisible();
    step.eventsBefore = session.host().events().size();
    return step;
}

std::vector<std::string> finishStep(Session& session, StepRecord& step, InvariantState& state) {
    simhost::Faults& faults = session.host().faults();
    if (!faults.nthCallHit().empty()) {
        step.faultHit = faults.nthCallHit();
        faults.clear();
    }
    std::vector<std::string> problems;
    for (const Invariant& invariant : invariants()) {
        if (auto problem = invariant.check(session, step, state)) {
            problems.push_back(std::string(invariant.name) + ": " + *problem);
        }
    }
    advanceState(session, step, state);
    return problems;
}

SessionResult runFuzzSession(std::uint64_t seed, const FuzzOptions& options) {
    Rng rng(seed);
    SessionResult result;
    result.seed = seed;
    Session session(defaultBundleDir());
    simhost::Host& host = session.host();
    addRandomArtwork(host.document(), rng, rng.between(0, 14));
    host.document().select(randomSelection(host.document(), rng));

    Model model;
    InvariantState state;
    const int planned = rng.between(1, options.maxSteps);
    for (int index = 1; index <= planned + 1; ++index) {
        StepKind kind = index <= planned ? chooseKind(rng, session, model) : StepKind::Shutdown;
        if (index > planned && !session.started()) {
            break;  // the host quits: nothing more to check than after the last step
        }
        StepRecord step = takeStep(rng, session, model, state, kind);
        const bool paletteHealthy = state.paletteHealthy;
        const std::vector<std::string> problems = finishStep(session, step, state);
        if (step.expected && step.faultHit.empty() && paletteHealthy) {
            ++result.effectsChecked;
        }
        ++result.steps;
        ++result.stepsByKind[stepKindName(kind)];
        if (!step.faultHit.empty()) {
            ++result.faultsFired;
        }
        // What the plug-in's captured matrix now is, as far as the fuzzer knows.
        if (kind == StepKind::Startup) {
            model.capturedKnown = step.faultHit.empty();
            model.captured = {1, 0, 0, 1, 0, 0};
        } else if (kind == StepKind::Choose && step.item == 0 &&
                   (!step.faultHit.empty() || !step.expected || !state.paletteHealthy)) {
            model.capturedKnown = false;
        }
        const std::string line = "step " + std::to_string(index) + ": " + step.action +
                                 (step.faultHit.empty() ? "" : " [failed: " + step.faultHit + "]");
        if (options.keepLog || !problems.empty()) {
            result.log.push_back(line);
        }
        if (!problems.empty()) {
            result.failure = line + ": " + problems.front();
            break;
        }
        if (model.quit) {
            break;  // a real host starts afresh after it quit
        }
    }
    return result;
}

}  // namespace shunt_robustness
