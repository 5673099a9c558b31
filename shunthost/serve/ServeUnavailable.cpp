// `shunt-host serve` in a build without libmicrohttpd or nlohmann-json.
#include <CLI/CLI.hpp>
#include <stdexcept>

#include "ServeCommand.h"

namespace shunthost::serve {

ServeCommand::ServeCommand(CLI::App& app, std::string& plugins, std::string& prefs)
    : plugins_(plugins), prefs_(prefs) {
    command_ =
        app.add_subcommand("serve", "Not available: this shunt-host was built without its web server.");
    command_->allow_extras();
}

bool ServeCommand::chosen() const {
    return command_->parsed();
}

std::vector<StartFault> ServeCommand::startFaults() const {
    return {};
}

int ServeCommand::run() {
    throw std::runtime_error(
        "serve: this shunt-host was built without libmicrohttpd (libmicrohttpd-dev) or nlohmann-json "
        "(nlohmann-json3-dev)");
}

}  // namespace shunthost::serve
