#include "ScenarioRunner.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <filesystem>

#include "Text.h"
#include "simhost/DialogManager.h"
#include "simhost/PreferenceStore.h"
#include "svg/DocumentDump.h"

namespace shunthost {

namespace fs = std::filesystem;

void addMaxSizeOption(CLI::App& command, std::uint64_t& maxArtworkSize) {
    command
        .add_option("--max-size", maxArtworkSize,
                    "Refuse artwork files larger than this, in bytes or with a unit (512KiB, 1GiB, 2GB)")
        ->transform(CLI::AsSizeValue(true))
        ->default_str("256MiB");
}

std::vector<std::string> findBundles(const std::string& dir) {
    std::vector<std::string> bundles;
    if (fs::path(dir).extension() == ".bundle") {
        bundles.push_back(dir);
        return bundles;
    }
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dir, ec)) {
        if (entry.is_directory() && entry.path().extension() == ".bundle") {
            bundles.push_back(entry.path().string());
        }
    }
    std::sort(bundles.begin(), bundles.end());
    return bundles;
}

namespace {

std::string quote(const std::string& text) {
    return "\"" + text + "\"";
}

std::string rect(const ADMRect& r) {
    return std::to_string(r.top) + "," + std::to_string(r.left) + "," + std::to_string(r.bottom) + "," +
           std::to_string(r.right);
}

template <class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

}  // namespace

ScenarioRunner::ScenarioRunner(RunnerSettings settings, std::ostream& transcript)
    : settings_(std::move(settings)), out_(transcript) {
    // The host serves the same suites every time; ask a short-lived one which.
    simhost::HostOptions options;
    options.logCalls = false;
    simhost::Host probe(options);
    servedSuites_ = probe.suiteNames();
    entriesThatNeverFail_ = probe.entriesThatNeverFail();
}

ScenarioRunner::~ScenarioRunner() = default;

void ScenarioRunner::fail(const std::string& message) const {
    throw InputError(scenario_->path, command_ != nullptr ? command_->line : 0, message);
}

std::string ScenarioRunner::resolve(const std::string& path) const {
    const fs::path p(path);
    return p.is_absolute() || scenario_->folder.empty() ? p.string()
                                                        : (fs::path(scenario_->folder) / p).string();
}

void ScenarioRunner::print(const std::string& line) {
    out_ << line << '\n';
    lastLine_ = line;
}

void ScenarioRunner::printEvent(const simhost::UiEvent& event) {
    std::visit(
        Overloaded{
            [&](const simhost::AlertShown& alert) { print("alert " + quote(macRomanToUtf8(alert.text))); },
            [&](const simhost::DialogShown& dialog) {
                std::string line = "dialog " + quote(dialog.name);
                for (const auto& [item, text] : dialog.itemTexts) {
                    line += " " + std::to_string(item) + "=" + quote(macRomanToUtf8(text));
                }
                print(line);
            },
            [&](const simhost::MessageAnswered& answer) {
                print("result " + quote(answer.caller) + " " + quote(answer.selector) + " " +
                      std::to_string(answer.result));
            },
            [&](const simhost::HostRefused& refusal) {
                print("refused " + quote(refusal.what) + ": " + refusal.reason);
            },
        },
        event);
}

simhost::Document& ScenarioRunner::document() {
    if (host_) {
        return host_->document();
    }
    return artwork_ ? artwork_->document : emptyDocument_;
}

void ScenarioRunner::checkSuiteNames(const Scenario& scenario) const {
    for (const Command& command : scenario.commands) {
        if ((command.name == "refuse" || command.name == "fail") &&
            std::find(servedSuites_.begin(), servedSuites_.end(), command.args[0]) == servedSuites_.end()) {
            throw InputError(scenario.path, command.line,
                             command.name + ": the host serves no suite named \"" + command.args[0] + "\"");
        }
        // An entry that answers a value, a boolean or nothing, or that the
        // host always completes, never fails: a fault there would do nothing.
        if (command.name == "fail") {
            const auto& silent = entriesThatNeverFail_.at(command.args[0]);
            const long entry = *parseWholeNumber(command.args[1]);
            if (std::find(silent.begin(), silent.end(), entry) != silent.end()) {
                throw InputError(
                    scenario.path, command.line,
                    "fail: entry " + command.args[1] + " of \"" + command.args[0] +
                        "\" never fails: it answers no result code, or the host always completes it");
            }
        }
    }
}

void ScenarioRunner::applyFault(const FaultSpec& fault) {
    std::visit(Overloaded{
                   [&](const Refusal& r) { host_->faults().refuse(r.suite, r.version, r.code); },
                   [&](const EntryFailure& f) {
                       host_->faults().failEntry(f.suite, f.entry, f.code, f.at, f.times);
                   },
               },
               fault);
}

void ScenarioRunner::startHost() {
    simhost::HostOptions options;
    options.preferencesFile = settings_.preferencesFile;
    options.logCalls = false;
    host_ = std::make_unique<simhost::Host>(options);
    host_->setEventListener([this](const simhost::UiEvent& event) { printEvent(event); });
    if (const auto& damage = host_->preferences().damageReport()) {
        print("refused \"preferences\": " + *damage);
    }
    for (const auto& fault : faults_) {
        applyFault(fault);
    }
    host_->dialogs().setKeysDown(keys_);
    for (ADMInt32 answer : answers_) {
        host_->dialogs().answerNext(answer);
    }
    answers_.clear();
    if (artwork_) {
        host_->document() = std::move(artwork_->document);
    }
    for (const auto& bundle : settings_.bundles) {
        try {
            host_->loadBundle(bundle);
        } catch (const std::exception& error) {
            fail(std::string("cannot load the plug-in bundle: ") + error.what());
        }
    }
    host_->startup();
}

void ScenarioRunner::quitHost() {
    host_->shutdown();
    if (!host_->preferences().saveError().empty()) {
        print("refused \"preferences\": " + host_->preferences().saveError());
    }
    if (artwork_) {
        artwork_->document = std::move(host_->document());
    }
    host_.reset();
}

ADMDialogRef ScenarioRunner::paletteOrRefuse(const std::string& what) {
    ADMDialogRef palette = host_ ? host_->dialogs().findDialog("ShuntDialog") : nullptr;
    if (palette == nullptr) {
        print("refused " + quote(what) + ": there is no palette");
    }
    return palette;
}

void ScenarioRunner::execute(const Command& command) {
    const auto& name = command.name;
    const auto& args = command.args;
    if (name == "open") {
        try {
            svg::SvgArtwork artwork = svg::readSvg(resolve(args[0]), settings_.maxArtworkSize);
            if (host_) {
                host_->document() = std::move(artwork.document);
            }
            artwork_ = std::move(artwork);
        } catch (const svg::SvgError& error) {
            // The scenario line first, then the artwork as the line names it.
            const std::string where = error.file() == resolve(args[0]) ? args[0] : error.file();
            fail(where + (error.line() > 0 ? ":" + std::to_string(error.line()) : std::string()) + ": " +
                 error.message());
        }
    } else if (name == "start") {
        if (host_) {
            print("refused \"start\": the host is running");
        } else {
            startHost();
        }
    } else if (name == "quit") {
        if (host_) {
            quitHost();
        }
    } else if (name == "select") {
        simhost::Document& doc = document();
        if (args[0] == "all") {
            doc.selectAll();
        } else if (args[0] == "none") {
            doc.selectNone();
        } else {
            std::vector<simhost::ArtId> ids;
            for (const auto& id : args) {
                const simhost::ArtId art = doc.findByName(id);
                if (art == simhost::kNoArt) {
                    fail("select: the document has no object \"" + id + "\"");
                }
                ids.push_back(art);
            }
            doc.select(ids);
        }
    } else if (name == "keys") {
        keys_.clear();
        for (const auto& key : args) {
            keys_.push_back(*parseKeyCode(key));
        }
        if (host_) {
            host_->dialogs().setKeysDown(keys_);
        }
    } else if (name == "click") {
        if (ADMDialogRef palette = paletteOrRefuse(name)) {
            const int itemID = static_cast<int>(*parseWholeNumber(args[0]));
            const std::string type = args.size() > 1 ? args[1] : kADMUserChangedNotifier;
            host_->dialogs().notify(host_->dialogs().findItem(palette, itemID), type);
        }
    } else if (name == "choose") {
        if (ADMDialogRef palette = paletteOrRefuse(name)) {
            host_->dialogs().choose(host_->dialogs().findItem(palette, -5),
                                    static_cast<int>(*parseWholeNumber(args[0])));
        }
    } else if (name == "track") {
        if (ADMDialogRef palette = paletteOrRefuse(name)) {
            const ADMBoolean tracked = host_->dialogs().track(
                host_->dialogs().findItem(palette, -5), static_cast<ADMInt32>(*parseWholeNumber(args[0])));
            print("tracked " + std::to_string(tracked != 0 ? 1 : 0));
        }
    } else if (name == "about") {
        if (!host_) {
            print("refused \"about\": the host is not running");
            return;
        }
        for (SPPluginRef plugin : host_->plugins()) {
            host_->sendInterface(plugin, kSPInterfaceAboutSelector);
        }
    } else if (name == "unload" || name == "reload") {
        if (!host_) {
            print("refused " + quote(name) + ": the host is not running");
            return;
        }
        for (SPPluginRef plugin : host_->plugins()) {
            if (name == "unload") {
                host_->unload(plugin);
            } else {
                host_->reload(plugin);
            }
        }
    } else if (name == "refuse") {
        Refusal refusal{args[0], std::nullopt, kSPSuiteNotFoundError};
        if (auto v = command.options.find("version"); v != command.options.end()) {
            refusal.version = static_cast<ASInt32>(*parseWholeNumber(v->second));
        }
        if (auto c = command.options.find("code"); c != command.options.end()) {
            refusal.code = *parseResultCode(c->second);
        }
        faults_.push_back(refusal);
        if (host_) {
            applyFault(refusal);
        }
    } else if (name == "fail") {
        EntryFailure failure{args[0], static_cast<int>(*parseWholeNumber(args[1])), *parseResultCode(args[2]),
                             1, 1};
        if (auto at = command.options.find("at"); at != command.options.end()) {
            failure.at = static_cast<int>(*parseWholeNumber(at->second));
        }
        if (auto times = command.options.find("times"); times != command.options.end()) {
            failure.times = static_cast<int>(*parseWholeNumber(times->second));
        }
        faults_.push_back(failure);
        if (host_) {
            applyFault(failure);
        }
    } else if (name == "answer") {
        const ADMInt32 item = args.empty() ? 1 : static_cast<ADMInt32>(*parseWholeNumber(args[0]));
        if (host_) {
            host_->dialogs().answerNext(item);
        } else {
            answers_.push_back(item);
        }
    } else if (name == "drag") {
        if (ADMDialogRef palette = paletteOrRefuse(name)) {
            if (!host_->dialogs().drag(palette, static_cast<int>(*parseWholeNumber(args[0])),
                                       static_cast<int>(*parseWholeNumber(args[1])))) {
                print("refused \"drag\": the palette cannot go there");
            }
        }
    } else if (name == "dock") {
        if (ADMDialogRef palette = paletteOrRefuse(name)) {
            host_->dialogs().dock(palette, args[0], static_cast<ADMInt32>(*parseWholeNumber(args[1])));
        }
    } else if (name == "palette") {
        const simhost::Dialog* palette =
            host_ ? host_->dialogs().dialog(host_->dialogs().findDialog("ShuntDialog")) : nullptr;
        if (palette == nullptr) {
            print("palette none");
        } else {
            print("palette visible=" + std::to_string(palette->visible ? 1 : 0) +
                  " bounds=" + rect(palette->bounds) + " group=" + quote(palette->groupName) +
                  " code=" + std::to_string(palette->dockCode));
        }
    } else if (name == "dump") {
        for (const auto& line : svg::dumpObjects(document())) {
            print(line);
        }
    } else if (name == "save") {
        if (!artwork_) {
            fail("save: no document is open");
        }
        try {
            if (host_) {
                artwork_->document = host_->document();
            }
            svg::writeSvg(*artwork_, resolve(args[0]));
        } catch (const svg::SvgError& error) {
            fail("save: " + error.message());
        }
    } else {
        executeHostUi(command);
    }
}

bool ScenarioRunner::run(const Scenario& scenario, std::ostream& diagnostics) {
    checkSuiteNames(scenario);
    scenario_ = &scenario;
    bool passed = true;
    for (const Command& command : scenario.commands) {
        command_ = &command;
        if (command.name == "expect") {
            if (lastLine_ != command.args[0]) {
                diagnostics << scenario.path << ":" << command.line << ": expected \"" << command.args[0]
                            << "\", the last line was \"" << lastLine_ << "\"\n";
                passed = false;
                break;
            }
            continue;
        }
        execute(command);
    }
    command_ = nullptr;
    if (host_) {
        quitHost();
    }
    return passed;
}

}  // namespace shunthost
