// The page's HTTP server on 127.0.0.1. Its threads check every request, turn
// what the page asks for into jobs for the host's thread and answer with the
// state that thread published; they never touch the host themselves.
#ifndef SHUNTHOST_SERVE_PAGESERVER_H
#define SHUNTHOST_SERVE_PAGESERVER_H

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "AccessGuard.h"
#include "HostMailbox.h"
#include "ServeSession.h"

namespace httplib {
class Server;
class Request;
class Response;
}  // namespace httplib

namespace shunthost::serve {

class PageServer {
public:
    // `session` is only captured in jobs; the host's thread runs them.
    PageServer(ServeSession& session, HostMailbox& mailbox, PublishedState& published,
               const PictureFiles& pictures);
    ~PageServer();

    // Binds 127.0.0.1:port (0: a free port) and starts serving. Throws
    // std::runtime_error when the port cannot be had.
    void start(int port);
    // Stops serving and joins the server's threads.
    void stop();
    const AccessGuard& guard() const { return *guard_; }

private:
    void routes();
    void sendState(httplib::Response& response, const PublishedState::Snapshot& snapshot,
                   const JobOutcome& outcome);
    // Leaves a job for the host's thread and answers once it is done, or
    // once it opened a dialog that now waits for the person.
    void act(httplib::Response& response, std::function<JobOutcome()> work);
    void answer(httplib::Response& response, std::uint64_t modal, int item);
    // Runs `work` on the host's thread, where it changes nothing; false
    // (and 503) when the host stopped first.
    bool read(httplib::Response& response, std::function<JobOutcome()> work);
    void post(httplib::Response& response, Job job, std::uint64_t modalBefore);

    ServeSession& session_;
    HostMailbox& mailbox_;
    PublishedState& published_;
    const PictureFiles& pictures_;
    std::unique_ptr<httplib::Server> server_;
    std::unique_ptr<AccessGuard> guard_;
    std::thread thread_;
};

}  // namespace shunthost::serve

#endif
