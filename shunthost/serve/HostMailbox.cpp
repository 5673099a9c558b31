#include "HostMailbox.h"

#include <chrono>

namespace shunthost::serve {

void HostMailbox::post(Job job) {
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(job));
    }
    ready_.notify_one();
}

Job HostMailbox::take() {
    std::unique_lock lock(mutex_);
    ready_.wait(lock, [this] { return !jobs_.empty(); });
    Job job = std::move(jobs_.front());
    jobs_.pop_front();
    return job;
}

void PublishedState::publish(std::shared_ptr<const std::string> json, std::uint64_t modal) {
    {
        std::lock_guard lock(mutex_);
        snapshot_ = {snapshot_.version + 1, modal, std::move(json)};
    }
    changed_.notify_all();
}

PublishedState::Snapshot PublishedState::current() const {
    std::lock_guard lock(mutex_);
    return snapshot_;
}

PublishedState::Snapshot PublishedState::waitNewer(std::uint64_t version,
                                                   std::chrono::milliseconds wait) const {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, wait, [&] { return closed_ || snapshot_.version > version; });
    return snapshot_;
}

PublishedState::Snapshot PublishedState::waitSettled(const std::function<bool()>& done,
                                                     std::uint64_t modal) const {
    std::unique_lock lock(mutex_);
    changed_.wait(lock,
                  [&] { return closed_ || done() || (snapshot_.modal != 0 && snapshot_.modal != modal); });
    return snapshot_;
}

void PublishedState::poke() {
    // Taking the lock orders the poke after the waiter's look at its job.
    { std::lock_guard lock(mutex_); }
    changed_.notify_all();
}

void PublishedState::close() {
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
    }
    changed_.notify_all();
}

bool PublishedState::closed() const {
    std::lock_guard lock(mutex_);
    return closed_;
}

}  // namespace shunthost::serve
