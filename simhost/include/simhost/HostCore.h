// The checking machinery every suite of the simulated host shares: suite
// keys and the registry, the call log, fault injection, counters and the
// record of contract violations.
#ifndef SIMHOST_HOSTCORE_H
#define SIMHOST_HOSTCORE_H

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "hostapi/SPBasic.h"

namespace simhost {

// One suite at one version. `held` counts the acquisitions not yet released,
// so a call through a suite that is not held shows at once.
struct SuiteKey {
    const char* name;
    ASInt32 version;
    int held = 0;
    // The entries no injected fault can make fail: those that answer a
    // value, a boolean or nothing, and those the host always completes.
    std::vector<int> neverFails = {};

    bool canFail(int entry) const {
        return std::find(neverFails.begin(), neverFails.end(), entry) == neverFails.end();
    }
};

struct HostCallRecord {
    std::string suite;
    ASInt32 version;
    int entry;
    std::string args;
};

// Every host call the plug-in makes, in order, when recording is on.
class CallLog {
public:
    void setEnabled(bool enabled) { enabled_ = enabled; }
    bool enabled() const { return enabled_; }
    void add(const SuiteKey& suite, int entry, std::string args) {
        records_.push_back({suite.name, suite.version, entry, std::move(args)});
    }
    const std::vector<HostCallRecord>& records() const { return records_; }
    void clear() { records_.clear(); }
    // "Suite Name:entry" for each record, the shape tests compare against.
    std::vector<std::string> entries() const;

private:
    bool enabled_ = true;
    std::vector<HostCallRecord> records_;
};

// What the host is told to get wrong.
class Faults {
public:
    // Acquisitions of the suite (at that version, or any) fail from now on.
    void refuse(std::string suite, std::optional<ASInt32> version, ASErr code = kSPSuiteNotFoundError);
    // From the at-th call on (counted from now), `times` calls of the entry
    // answer `code`; times < 0 means every call.
    void failEntry(std::string suite, int entry, ASErr code, int at = 1, int times = 1);
    // The same for every allocation, whichever suite makes it.
    void failAllocations(int at = 1, int times = 1);
    // The k-th failable call from now (1-based) fails: an acquisition is
    // refused, an allocation fails, any other entry answers `code`.
    void failNthCall(long k, ASErr code);
    void clear();

    bool armed() const { return armed_; }
    std::optional<ASErr> onAcquire(const char* suite, ASInt32 version);
    std::optional<ASErr> onCall(const SuiteKey& suite, int entry, bool isAllocation);
    // Failable calls seen since the last clear(); the sweep counts with it.
    long failableCalls() const { return failableCalls_; }
    void countFailable() { ++failableCalls_; }
    // The call that failNthCall made fail, once it has: "Suite Name:entry",
    // or "acquire Suite Name version" for a refused acquisition. Empty
    // before then; cleared by failNthCall and clear().
    const std::string& nthCallHit() const { return nthCallHit_; }

private:
    struct Refusal {
        std::string suite;
        std::optional<ASInt32> version;
        ASErr code;
    };
    struct EntryFault {
        std::string suite;  // empty: allocations of any suite
        int entry;
        ASErr code;
        int at;
        int times;
        int seen = 0;
        int fired = 0;
    };
    std::optional<ASErr> nthCall(ASErr codeForEntry);
    void rearm();

    bool armed_ = false;
    std::vector<Refusal> refusals_;
    std::vector<EntryFault> entryFaults_;
    long nthCall_ = 0;
    ASErr nthCode_ = 0;
    long failableCalls_ = 0;
    std::string nthCallHit_;
};

struct Counters {
    std::map<std::string, long> acquired;  // by suite name, all versions
    std::map<std::string, long> released;
    long blocksAllocated = 0;
    long blocksFreed = 0;
    long hostStringsAlive = 0;
    long accessRefsHeld = 0;
    std::map<std::string, long> strayCalls;  // "Suite Name:entry" -> count
};

}  // namespace simhost

#endif
