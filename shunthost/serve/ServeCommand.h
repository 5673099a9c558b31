// `shunt-host serve`: the palette on a document in a web page on this
// machine. See the README, "Using the palette in a browser".
#ifndef SHUNTHOST_SERVE_SERVECOMMAND_H
#define SHUNTHOST_SERVE_SERVECOMMAND_H

#include <cstdint>
#include <string>
#include <vector>

#include "StartFaults.h"
#include "svg/SvgFileInput.h"

namespace CLI {
class App;
}

namespace shunthost::serve {

class ServeCommand {
public:
    // Adds the subcommand; `plugins` and `prefs` are the program's shared
    // settings, with their defaults already in them.
    ServeCommand(CLI::App& app, std::string& plugins, std::string& prefs);

    bool chosen() const;
    // Serves until SIGINT or SIGTERM. Throws std::exception for bad flags,
    // a document or bundle that cannot be read, or a port that cannot be had.
    int run();

private:
    std::vector<StartFault> startFaults() const;

    CLI::App* command_;
    std::string& plugins_;
    std::string& prefs_;
    std::string artwork_;
    std::string saveTo_;
    int port_ = 0;
    std::uint64_t maxArtworkSize_ = svg::kDefaultMaxArtworkSize;
    std::vector<std::string> refusals_;
    std::vector<std::string> failures_;
};

}  // namespace shunthost::serve

#endif
