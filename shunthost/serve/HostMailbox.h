// The one way from the server's threads to the host's thread. The host is
// single-threaded: a request never touches it directly but leaves a job
// here, which the host's thread runs in its loop (or in the nested loop of a
// modal dialog, which takes only the answer to that dialog).
#ifndef SHUNTHOST_SERVE_HOSTMAILBOX_H
#define SHUNTHOST_SERVE_HOSTMAILBOX_H

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace shunthost::serve {

// What became of a job, for the request that is waiting on it.
struct JobOutcome {
    int status = 200;     // HTTP status
    std::string message;  // why it failed, for the page
};

struct Job {
    // Read: runs on the host's thread, even while a modal dialog is open,
    // and changes nothing, so nothing is published after it.
    enum class Kind { Action, Answer, Stop, Read };
    Kind kind = Kind::Action;
    std::function<JobOutcome()> run;                  // Action, Read: runs on the host's thread
    std::uint64_t modal = 0;                          // Answer: the modal it answers
    int item = 0;                                     // Answer: the item pressed
    std::function<void(const JobOutcome&)> finished;  // told once, on the host's thread
};

class HostMailbox {
public:
    void post(Job job);
    // Waits for the next job.
    Job take();

private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<Job> jobs_;
};

// The page's view of the host, written by the host's thread after every job
// and read by the server's threads, which never look at the host itself.
class PublishedState {
public:
    struct Snapshot {
        std::uint64_t version = 0;
        std::uint64_t modal = 0;  // the open modal's number, 0 when none
        std::shared_ptr<const std::string> json;
    };

    void publish(std::shared_ptr<const std::string> json, std::uint64_t modal);
    Snapshot current() const;
    // Waits until the version passes `version`, or `seconds` have gone by.
    Snapshot waitNewer(std::uint64_t version, int seconds) const;
    // Waits until `done` says so or a modal other than `modal` opens.
    Snapshot waitSettled(const std::function<bool()>& done, std::uint64_t modal) const;
    // Wakes the waiters to look again, after a job was marked done.
    void poke();
    // Wakes every waiter, for shut-down.
    void close();

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    Snapshot snapshot_{0, 0, std::make_shared<const std::string>("{}")};
    bool closed_ = false;
};

}  // namespace shunthost::serve

#endif
