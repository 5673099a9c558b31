// Suites of the plug-in manager: blocks, plug-ins and access.
#ifndef HOSTAPI_SPSUITES_H
#define HOSTAPI_SPSUITES_H

#include "hostapi/SPBasic.h"

inline constexpr const char* kSPBlocksSuite = "SP Blocks Suite";
inline constexpr ASInt32 kSPBlocksSuiteVersion = 2;

struct SPBlocksSuite {
    // size, debug name (borrowed), out: block. The block is the caller's until
    // freeBlock; its contents are not cleared.
    SPErr (*allocateBlock)(std::size_t size, const char* debugName, void** block) noexcept;
    // a block from allocateBlock, or one the host handed out as a block of this suite.
    SPErr (*freeBlock)(void* block) noexcept;
};
HOSTAPI_ENTRY_AT(SPBlocksSuite, allocateBlock, 0);
HOSTAPI_ENTRY_AT(SPBlocksSuite, freeBlock, 1);

inline constexpr const char* kSPPluginsSuite = "SP Plug-ins Suite";
inline constexpr ASInt32 kSPPluginsSuiteVersion = 4;

// Acquired with the others; no entry of it is called.
struct SPPluginsSuite {
    HostUnusedEntry unused0;
};

inline constexpr const char* kSPAccessSuite = "SP Access Suite";
inline constexpr ASInt32 kSPAccessSuiteVersion = 3;

struct SPAccessSuite {
    // plug-in, out: access reference. While the reference is held the host does
    // not unload the plug-in.
    SPErr (*acquirePlugin)(SPPluginRef plugin, SPAccessRef* access) noexcept;
    // an access reference from acquirePlugin; given back, no longer valid.
    SPErr (*releasePlugin)(SPAccessRef access) noexcept;
};
HOSTAPI_ENTRY_AT(SPAccessSuite, acquirePlugin, 0);
HOSTAPI_ENTRY_AT(SPAccessSuite, releasePlugin, 1);

#endif
