// `shunt-host inkscape-install`: puts the Shunt Palette's effects into the
// user's Inkscape, under Extensions > Shunt Palette, calling this program.
#ifndef SHUNTHOST_APP_INKSCAPEINSTALL_H
#define SHUNTHOST_APP_INKSCAPEINSTALL_H

#include <ostream>
#include <span>
#include <string>
#include <string_view>

namespace CLI {
class App;
}

namespace shunthost {

struct InxFile {
    std::string_view name;
    std::string_view text;  // with @SHUNT_HOST@ where the program's path goes
};

// The .inx files of the tree's inkscape/ folder, built into the program.
std::span<const InxFile> inxFiles();

// An .inx file's text with the program's path in its <command>.
std::string inxFor(const InxFile& file, const std::string& program);

// The Inkscape profile: $INKSCAPE_PROFILE_DIR, else $XDG_CONFIG_HOME/inkscape,
// else ~/.config/inkscape, as Inkscape itself finds it.
std::string defaultInkscapeProfile();

class InkscapeInstallCommand {
public:
    explicit InkscapeInstallCommand(CLI::App& app);
    bool chosen() const;
    // Exit status: 0 installed, 2 when the files cannot be written.
    int run(std::ostream& out, std::ostream& err) const;

private:
    CLI::App* command_;
    std::string profile_;
};

}  // namespace shunthost

#endif
