// Runs scenarios against the simulated host and writes the transcript: one
// line for each thing a user of the host would notice.
#ifndef SHUNTHOST_APP_SCENARIORUNNER_H
#define SHUNTHOST_APP_SCENARIORUNNER_H

#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <variant>
#include <vector>

#include "Scenario.h"
#include "simhost/Host.h"
#include "svg/SvgDocument.h"

namespace CLI {
class App;
}

namespace shunthost {

struct RunnerSettings {
    std::vector<std::string> bundles;  // .bundle folders, loaded in this order at `start`
    std::string preferencesFile;       // empty: preferences kept in memory
    std::uint64_t maxArtworkSize = svg::kDefaultMaxArtworkSize;  // `open` refuses larger files
};

// --max-size, the same on every command that opens artwork.
void addMaxSizeOption(CLI::App& command, std::uint64_t& maxArtworkSize);

// Every .bundle folder in `dir`, sorted; `dir` itself when it is a bundle.
std::vector<std::string> findBundles(const std::string& dir);

class ScenarioRunner {
public:
    ScenarioRunner(RunnerSettings settings, std::ostream& transcript);
    ~ScenarioRunner();

    // Runs the scenario to its end. Returns false when an `expect` failed
    // (the message goes to `diagnostics`). Throws InputError for bad input.
    bool run(const Scenario& scenario, std::ostream& diagnostics);

private:
    struct Refusal {
        std::string suite;
        std::optional<ASInt32> version;
        ASErr code;
    };
    struct EntryFailure {
        std::string suite;
        int entry;
        ASErr code;
        int at;
        int times;
    };
    using FaultSpec = std::variant<Refusal, EntryFailure>;

    void execute(const Command& command);
    // The commands that go through the host's menus and preferences.
    void executeHostUi(const Command& command);
    void print(const std::string& line);
    void printEvent(const simhost::UiEvent& event);
    void startHost();
    void quitHost();
    void applyFault(const FaultSpec& fault);
    simhost::Document& document();
    ADMDialogRef paletteOrRefuse(const std::string& what);
    std::string resolve(const std::string& path) const;
    [[noreturn]] void fail(const std::string& message) const;
    void checkSuiteNames(const Scenario& scenario) const;

    RunnerSettings settings_;
    std::ostream& out_;
    const Scenario* scenario_ = nullptr;
    const Command* command_ = nullptr;
    std::unique_ptr<simhost::Host> host_;
    std::optional<svg::SvgArtwork> artwork_;
    simhost::Document emptyDocument_;
    std::vector<int> keys_;
    std::vector<FaultSpec> faults_;
    std::deque<ADMInt32> answers_;
    std::string lastLine_;
    std::vector<std::string> servedSuites_;
    std::map<std::string, std::vector<int>> entriesThatNeverFail_;
};

}  // namespace shunthost

#endif
