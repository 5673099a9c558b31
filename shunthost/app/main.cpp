// shunt-host: loads plug-in bundles, opens artwork, sends the plug-ins the
// host's messages and the palette's clicks, and shows what they did.
#include <CLI/CLI.hpp>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "Demo.h"
#include "InkscapeEffect.h"
#include "InkscapeInstall.h"
#include "Scenario.h"
#include "ScenarioRunner.h"
#include "serve/ServeCommand.h"

namespace {

namespace fs = std::filesystem;

std::string defaultPreferencesFile() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    fs::path base = config != nullptr && *config != '\0' ? fs::path(config)
                    : home != nullptr                    ? fs::path(home) / ".config"
                                                         : fs::temp_directory_path();
    return (base / "shunt-host" / "preferences.txt").string();
}

shunthost::RunnerSettings settingsFrom(
    const std::string& plugins, const std::string& prefs,
    std::uint64_t maxArtworkSize = shunthost::svg::kDefaultMaxArtworkSize) {
    shunthost::RunnerSettings settings;
    settings.maxArtworkSize = maxArtworkSize;
    settings.bundles = shunthost::findBundles(plugins);
    settings.preferencesFile = prefs;
    std::error_code ec;
    fs::create_directories(fs::path(prefs).parent_path(), ec);
    return settings;
}

}  // namespace

int main(int argc, char** argv) {
    // Inkscape runs the extension's effects with a command line of its own.
    if (const std::vector<std::string> args(argv + 1, argv + argc); shunthost::isEffectCall(args)) {
        return shunthost::runEffectCommandLine(args, std::cout, std::cerr);
    }

    CLI::App app{"shunt-host: runs the Shunt Palette plug-in on SVG artwork in a simulated host."};
    app.set_version_flag("--version", std::string("shunt-host ") + SHUNT_VERSION);
    app.require_subcommand(1);

    std::string plugins = SHUNT_DEFAULT_PLUGINS_DIR;
    std::string prefs = defaultPreferencesFile();
    std::vector<std::string> scenarios;
    std::uint64_t maxArtworkSize = shunthost::svg::kDefaultMaxArtworkSize;

    CLI::App* run = app.add_subcommand("run", "Run scenario files in order and print the transcript.");
    run->add_option("--plugins", plugins, "Folder of plug-in bundles (*.bundle), or one bundle")
        ->check(CLI::ExistingDirectory)
        ->capture_default_str();
    run->add_option("--prefs", prefs, "The preference file")->capture_default_str();
    shunthost::addMaxSizeOption(*run, maxArtworkSize);
    run->add_option("SCENARIO", scenarios, "Scenario files")->required();

    std::string output = "shunt-demo";
    CLI::App* demo = app.add_subcommand("demo", "Run the bundled demo on the bundled artwork.");
    demo->add_option("--plugins", plugins, "Folder of plug-in bundles (*.bundle), or one bundle")
        ->check(CLI::ExistingDirectory)
        ->capture_default_str();
    demo->add_option("--prefs", prefs, "The preference file")->capture_default_str();
    demo->add_option("--output", output, "Folder the demo writes into")->capture_default_str();

    shunthost::serve::ServeCommand serve(app, plugins, prefs);
    shunthost::InkscapeInstallCommand inkscapeInstall(app);

    app.footer(
        "Exit status: 0 when every scenario ran to its end, 1 when an expect failed, 2 for a usage error or\n"
        "bad input (reported as FILE:LINE: message).\n"
        "Scenario commands: open start select keys click choose track menu update about unload reload\n"
        "refuse fail answer drag dock dump palette prefs save quit expect (see the README).");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        const int status = app.exit(error);
        return status == 0 ? 0 : 2;
    }

    try {
        if (serve.chosen()) {
            return serve.run();
        }
        if (inkscapeInstall.chosen()) {
            return inkscapeInstall.run(std::cout, std::cerr);
        }
        if (*demo) {
            return shunthost::runDemo(settingsFrom(plugins, prefs), output, std::cout, std::cerr);
        }
        shunthost::ScenarioRunner runner(settingsFrom(plugins, prefs, maxArtworkSize), std::cout);
        for (const auto& path : scenarios) {
            const shunthost::Scenario scenario = shunthost::readScenario(path);
            if (!runner.run(scenario, std::cerr)) {
                return 1;
            }
        }
        return 0;
    } catch (const shunthost::InputError& error) {
        std::cout.flush();
        std::cerr << error.what() << '\n';
        return 2;
    } catch (const std::exception& error) {
        std::cout.flush();
        std::cerr << "shunt-host: " << error.what() << '\n';
        return 2;
    }
}
