#include "ServeCommand.h"

#include <pthread.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <atomic>
#include <csignal>
#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <thread>

#include "PageServer.h"
#include "ScenarioRunner.h"

namespace shunthost::serve {

namespace fs = std::filesystem;

namespace {

void checkSuite(const std::string& suite, const std::string& flag) {
    simhost::HostOptions options;
    options.logCalls = false;
    const auto served = simhost::Host(options).suiteNames();
    if (std::find(served.begin(), served.end(), suite) == served.end()) {
        throw std::invalid_argument(flag + ": the host serves no suite named \"" + suite + "\"");
    }
}

// SIGINT and SIGTERM are taken by one thread with sigwait, so that no other
// thread is ever interrupted; it asks the host's thread to stop.
class StopOnSignal {
public:
    explicit StopOnSignal(HostMailbox& mailbox) {
        sigemptyset(&signals_);
        sigaddset(&signals_, SIGINT);
        sigaddset(&signals_, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &signals_, &previous_);
        waiter_ = std::thread([this, &mailbox] {
            int signal = 0;
            sigwait(&signals_, &signal);
            if (!released_) {
                Job stop;
                stop.kind = Job::Kind::Stop;
                mailbox.post(std::move(stop));
            }
        });
    }
    ~StopOnSignal() {
        released_ = true;
        pthread_kill(waiter_.native_handle(), SIGTERM);
        waiter_.join();
        pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
    }
    StopOnSignal(const StopOnSignal&) = delete;
    StopOnSignal& operator=(const StopOnSignal&) = delete;

private:
    sigset_t signals_{};
    sigset_t previous_{};
    std::atomic<bool> released_{false};
    std::thread waiter_;
};

}  // namespace

ServeCommand::ServeCommand(CLI::App& app, std::string& plugins, std::string& prefs)
    : plugins_(plugins), prefs_(prefs) {
    command_ = app.add_subcommand("serve", "Use the palette on a document in a web page on this machine.");
    command_->add_option("FILE.svg", artwork_, "The artwork to open")->required();
    command_->add_option("--port", port_, "Port on 127.0.0.1; 0 picks a free one")->capture_default_str();
    command_->add_option("--plugins", plugins_, "Folder of plug-in bundles (*.bundle), or one bundle")
        ->check(CLI::ExistingDirectory)
        ->capture_default_str();
    command_->add_option("--prefs", prefs_, "The preference file")->capture_default_str();
    addMaxSizeOption(*command_, maxArtworkSize_);
    command_->add_option("--save-to", saveTo_, "The file the page's Save writes (default: FILE.svg itself)");
    command_->add_option(
        "--refuse", refusals_,
        "Fault from the start: acquisitions of SUITE fail, answering CODE (\"SUITE[:CODE]\")");
    command_->add_option("--fail", failures_,
                         "Fault from the start: every call of entry ENTRY of SUITE answers CODE "
                         "(\"SUITE ENTRY CODE\"; CODE a number or 'ABCD')");
}

bool ServeCommand::chosen() const {
    return command_->parsed();
}

std::vector<StartFault> ServeCommand::startFaults() const {
    std::vector<StartFault> faults;
    for (const auto& text : refusals_) {
        faults.push_back(parseRefusal(text));
        checkSuite(faults.back().suite, "--refuse");
    }
    for (const auto& text : failures_) {
        faults.push_back(parseFailure(text));
        checkSuite(faults.back().suite, "--fail");
    }
    return faults;
}

int ServeCommand::run() {
    SessionSettings settings;
    settings.artworkPath = artwork_;
    settings.saveTo = saveTo_.empty() ? artwork_ : saveTo_;
    settings.bundles = findBundles(plugins_);
    settings.preferencesFile = prefs_;
    settings.faults = startFaults();
    settings.maxArtworkSize = maxArtworkSize_;
    std::error_code ec;
    fs::create_directories(fs::path(prefs_).parent_path(), ec);

    HostMailbox mailbox;
    PublishedState published;
    PictureFiles pictures;
    StopOnSignal stopOnSignal(mailbox);
    ServeSession session(settings, mailbox, published, pictures);
    PageServer server(session, mailbox, published, pictures);
    server.start(port_);
    std::cout << "Open " << server.guard().pageAddress() << " in a browser on this machine.\n"
              << "Press Ctrl-C to stop; the palette's place is kept in " << prefs_ << std::endl;
    session.run();
    server.stop();
    if (session.unsavedChanges()) {
        std::cerr << "shunt-host: the changes to " << artwork_ << " were not saved\n";
    }
    return 0;
}

}  // namespace shunthost::serve
