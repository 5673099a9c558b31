#include "Demo.h"

#include <filesystem>

namespace shunthost {

namespace fs = std::filesystem;

int runDemo(const RunnerSettings& settings, const std::string& outputDir, std::ostream& out,
            std::ostream& err) {
    const fs::path examples = SHUNT_EXAMPLES_DIR;
    const fs::path output = fs::absolute(outputDir);
    fs::create_directories(output);
    fs::copy(examples, output, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    const Scenario scenario = readScenario((output / "demo.scenario").string());
    ScenarioRunner runner(settings, out);
    const bool passed = runner.run(scenario, err);
    out << "\nThe demo read " << (output / "artwork.svg").string() << "\nand wrote "
        << (output / "artwork-after.svg").string() << '\n';
    return passed ? 0 : 1;
}

}  // namespace shunthost
