#include "simhost/HostCore.h"

namespace simhost {

std::vector<std::string> CallLog::entries() const {
    std::vector<std::string> out;
    out.reserve(records_.size());
    for (const auto& record : records_) {
        out.push_back(record.suite + ":" + std::to_string(record.entry));
    }
    return out;
}

void Faults::refuse(std::string suite, std::optional<ASInt32> version, ASErr code) {
    refusals_.push_back({std::move(suite), version, code});
    rearm();
}

void Faults::failEntry(std::string suite, int entry, ASErr code, int at, int times) {
    entryFaults_.push_back({std::move(suite), entry, code, at < 1 ? 1 : at, times});
    rearm();
}

void Faults::failAllocations(int at, int times) {
    entryFaults_.push_back({std::string(), -1, kOutOfMemoryErr, at < 1 ? 1 : at, times});
    rearm();
}

void Faults::failNthCall(long k, ASErr code) {
    nthCall_ = failableCalls_ + k;
    nthCode_ = code;
    nthCallHit_.clear();
    rearm();
}

void Faults::clear() {
    refusals_.clear();
    entryFaults_.clear();
    nthCall_ = 0;
    failableCalls_ = 0;
    nthCallHit_.clear();
    rearm();
}

void Faults::rearm() {
    armed_ = !refusals_.empty() || !entryFaults_.empty() || nthCall_ != 0;
}

std::optional<ASErr> Faults::nthCall(ASErr codeForEntry) {
    if (nthCall_ != 0 && failableCalls_ == nthCall_) {
        nthCall_ = 0;
        rearm();
        return codeForEntry;
    }
    return std::nullopt;
}

std::optional<ASErr> Faults::onAcquire(const char* suite, ASInt32 version) {
    if (auto code = nthCall(kSPSuiteNotFoundError)) {
        nthCallHit_ = std::string("acquire ") + suite + " " + std::to_string(version);
        return code;
    }
    for (const auto& refusal : refusals_) {
        if (refusal.suite == suite && (!refusal.version || *refusal.version == version)) {
            return refusal.code;
        }
    }
    return std::nullopt;
}

std::optional<ASErr> Faults::onCall(const SuiteKey& suite, int entry, bool isAllocation) {
    if (auto code = nthCall(isAllocation ? kOutOfMemoryErr : nthCode_)) {
        nthCallHit_ = std::string(suite.name) + ":" + std::to_string(entry);
        return code;
    }
    std::optional<ASErr> answer;
    for (auto& fault : entryFaults_) {
        const bool matches =
            fault.suite.empty() ? isAllocation : (fault.suite == suite.name && fault.entry == entry);
        if (!matches) {
            continue;
        }
        ++fault.seen;
        if (fault.seen >= fault.at && (fault.times < 0 || fault.fired < fault.times) && !answer) {
            ++fault.fired;
            answer = fault.code;
        }
    }
    return answer;
}

}  // namespace simhost
