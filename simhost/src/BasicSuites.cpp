// The plug-in manager's suites: the basic suite of every message, blocks,
// plug-ins and access references.
#include <cstring>

#include "simhost/Host.h"

namespace simhost {

namespace {

// The basic suite comes with every message and is always held.
SuiteKey kBasicKey{"SP Basic Suite", 8, 1, {2}};
SuiteKey kBlocksKey{kSPBlocksSuite, kSPBlocksSuiteVersion};
SuiteKey kPluginsKey{kSPPluginsSuite, kSPPluginsSuiteVersion};
SuiteKey kAccessKey{kSPAccessSuite, kSPAccessSuiteVersion};

std::string quoted(const char* text) {
    return text == nullptr ? "null" : std::string("\"") + text + "\"";
}

SPErr basicAcquireSuite(const char* name, ASInt32 version, const void** suite) noexcept {
    Host& host = Host::current();
    if (host.log().enabled()) {
        host.log().add(kBasicKey, 0, quoted(name) + " " + std::to_string(version));
    }
    if (name == nullptr || suite == nullptr) {
        host.violation("acquireSuite with a null name or result address");
        return kBadParameterErr;
    }
    host.faults().countFailable();
    if (host.faults().armed()) {
        if (auto refused = host.faults().onAcquire(name, version)) {
            return *refused;
        }
    }
    SuiteKey* key = nullptr;
    const void* table = host.findSuite(name, version, &key);
    if (table == nullptr) {
        return kSPSuiteNotFoundError;
    }
    ++key->held;
    ++host.counters().acquired[name];
    *suite = table;
    return kNoErr;
}

SPErr basicReleaseSuite(const char* name, ASInt32 version) noexcept {
    Host& host = Host::current();
    if (auto fault = host.enter(kBasicKey, 1, [&] { return quoted(name) + " " + std::to_string(version); })) {
        return *fault;
    }
    SuiteKey* key = nullptr;
    if (name == nullptr || host.findSuite(name, version, &key) == nullptr) {
        host.violation("releaseSuite of " + quoted(name) + " " + std::to_string(version) +
                       ", which the host does not serve");
        return kSPSuiteNotFoundError;
    }
    if (key->held <= 0) {
        host.violation("releaseSuite of " + quoted(name) + " " + std::to_string(version) +
                       " more often than it was acquired");
        return kBadParameterErr;
    }
    --key->held;
    ++host.counters().released[name];
    return kNoErr;
}

SPBoolean basicIsEqual(const char* token1, const char* token2) noexcept {
    Host& host = Host::current();
    host.enter(
        kBasicKey, 2, [&] { return quoted(token1) + " " + quoted(token2); }, false);
    if (token1 == nullptr || token2 == nullptr) {
        host.violation("isEqual with a null string");
        return 0;
    }
    return std::strcmp(token1, token2) == 0 ? 1 : 0;
}

SPErr basicAllocateBlock(std::size_t size, void** block) noexcept {
    Host& host = Host::current();
    if (auto fault = host.enterAllocation(kBasicKey, 3, std::to_string(size))) {
        return *fault;
    }
    return host.allocateBlock(size, "SPBasicSuite::allocateBlock", block);
}

SPErr basicFreeBlock(void* block) noexcept {
    Host& host = Host::current();
    if (auto fault = host.enter(kBasicKey, 4, [] { return std::string("block"); })) {
        return *fault;
    }
    return host.freeBlock(block, "SPBasicSuite::freeBlock");
}

SPBasicSuite gBasicSuite{
    .acquireSuite = basicAcquireSuite,
    .releaseSuite = basicReleaseSuite,
    .isEqual = basicIsEqual,
    .allocateBlock = basicAllocateBlock,
    .freeBlock = basicFreeBlock,
};

SPErr blocksAllocateBlock(std::size_t size, const char* debugName, void** block) noexcept {
    Host& host = Host::current();
    if (auto fault = host.enterAllocation(kBlocksKey, 0, std::to_string(size) + " " + quoted(debugName))) {
        return *fault;
    }
    return host.allocateBlock(size, debugName, block);
}

SPErr blocksFreeBlock(void* block) noexcept {
    Host& host = Host::current();
    if (auto fault = host.enter(kBlocksKey, 1, [] { return std::string("block"); })) {
        return *fault;
    }
    return host.freeBlock(block, "SP Blocks Suite::freeBlock");
}

SPBlocksSuite gBlocksSuite{
    .allocateBlock = blocksAllocateBlock,
    .freeBlock = blocksFreeBlock,
};

SPPluginsSuite gPluginsSuite{};

SPErr accessAcquirePlugin(SPPluginRef plugin, SPAccessRef* access) noexcept {
    Host& host = Host::current();
    if (auto fault = host.enter(kAccessKey, 0, [] { return std::string("plug-in"); })) {
        return *fault;
    }
    if (access == nullptr) {
        host.violation("acquirePlugin with a null result address");
        return kBadParameterErr;
    }
    if (host.findPlugin(plugin) == nullptr) {
        host.violation("acquirePlugin: bad plug-in handle");
        return kBadHandleErr;
    }
    *access = host.acquireAccess(plugin);
    return kNoErr;
}

SPErr accessReleasePlugin(SPAccessRef access) noexcept {
    Host& host = Host::current();
    if (auto fault = host.enter(kAccessKey, 1, [] { return std::string("access"); })) {
        return *fault;
    }
    if (!host.releaseAccess(access)) {
        host.violation("releasePlugin: bad access reference");
        return kBadHandleErr;
    }
    return kNoErr;
}

SPAccessSuite gAccessSuite{
    .acquirePlugin = accessAcquirePlugin,
    .releasePlugin = accessReleasePlugin,
};

}  // namespace

SPBasicSuite* Host::basicSuite() {
    return &gBasicSuite;
}

void registerBasicSuites(Host& host) {
    registerSuite<kBlocksKey>(host, gBlocksSuite);
    registerSuite<kPluginsKey>(host, gPluginsSuite);
    registerSuite<kAccessKey>(host, gAccessSuite);
}

}  // namespace simhost
