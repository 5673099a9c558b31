#include "InkscapeInstall.h"

#include <CLI/CLI.hpp>
#include <cstdlib>
#include <filesystem>

#include "svg/SvgAtomicFile.h"
#include "svg/SvgError.h"
#include "svg/SvgXmlText.h"

namespace shunthost {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kProgramMark = "@SHUNT_HOST@";
// Inkscape finds .inx files in the sub-folders of its extensions folder; a
// folder of our own keeps them apart from the user's other extensions.
constexpr const char* kFolder = "shunt-palette";

std::string thisProgram() {
    std::error_code ec;
    const fs::path self = fs::canonical("/proc/self/exe", ec);
    return ec ? std::string() : self.string();
}

}  // namespace

std::string inxFor(const InxFile& file, const std::string& program) {
    std::string text(file.text);
    const auto at = text.find(kProgramMark);
    if (at != std::string::npos) {
        text.replace(at, kProgramMark.size(), svg::escapeAttribute(program));
    }
    return text;
}

std::string defaultInkscapeProfile() {
    const char* profile = std::getenv("INKSCAPE_PROFILE_DIR");
    if (profile != nullptr && *profile != '\0') {
        return profile;
    }
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    const fs::path base = config != nullptr && *config != '\0' ? fs::path(config)
                          : home != nullptr                    ? fs::path(home) / ".config"
                                                               : fs::path(".config");
    return (base / "inkscape").string();
}

InkscapeInstallCommand::InkscapeInstallCommand(CLI::App& app) : profile_(defaultInkscapeProfile()) {
    command_ =
        app.add_subcommand("inkscape-install",
                           "Install the Shunt Palette's effects into Inkscape (Extensions > Shunt Palette).");
    command_->add_option("--profile", profile_, "The Inkscape profile folder (INKSCAPE_PROFILE_DIR)")
        ->capture_default_str();
}

bool InkscapeInstallCommand::chosen() const {
    return command_->parsed();
}

int InkscapeInstallCommand::run(std::ostream& out, std::ostream& err) const {
    const std::string program = thisProgram();
    if (program.empty()) {
        err << "shunt-host: cannot find the path of this program (/proc/self/exe)\n";
        return 2;
    }
    const fs::path folder = fs::path(profile_) / "extensions" / kFolder;
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) {
        err << "shunt-host: cannot make " << folder.string() << ": " << ec.message() << '\n';
        return 2;
    }
    try {
        for (const InxFile& file : inxFiles()) {
            const std::string text = inxFor(file, program);
            svg::writeFileAtomically((folder / file.name).string(), [&](std::FILE* stream) {
                std::fwrite(text.data(), 1, text.size(), stream);
            });
        }
    } catch (const svg::SvgError& error) {
        err << "shunt-host: " << error.what() << '\n';
        return 2;
    }
    out << "Installed " << inxFiles().size() << " effects into " << folder.string() << ",\ncalling "
        << program << ".\nRestart Inkscape; they are under Extensions > Shunt Palette.\n";
    return 0;
}

}  // namespace shunthost
