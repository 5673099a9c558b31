// The basic suite: every message carries it. Through it the plug-in acquires
// and releases the other suites, compares names and allocates blocks.
#ifndef HOSTAPI_SPBASIC_H
#define HOSTAPI_SPBASIC_H

#include "hostapi/ASTypes.h"

using HostUnusedEntry = ASErr (*)() noexcept;  // keeps an entry's number; answers kUnimplementedEntryErr

struct SPBasicSuite {
    // name, version, out: suite. On success stores the suite's function table;
    // on failure leaves *suite as it was. One acquisition, to be released once.
    SPErr (*acquireSuite)(const char* name, ASInt32 version, const void** suite) noexcept;
    // name, version. Gives back one acquisition of that suite at that version.
    SPErr (*releaseSuite)(const char* name, ASInt32 version) noexcept;
    // two C strings; non-zero when they are equal byte for byte.
    SPBoolean (*isEqual)(const char* token1, const char* token2) noexcept;
    // size, out: block. The block belongs to the plug-in until freeBlock; its
    // contents are not cleared.
    SPErr (*allocateBlock)(std::size_t size, void** block) noexcept;
    // a block from allocateBlock; the host takes it back.
    SPErr (*freeBlock)(void* block) noexcept;
};
HOSTAPI_ENTRY_AT(SPBasicSuite, acquireSuite, 0);
HOSTAPI_ENTRY_AT(SPBasicSuite, releaseSuite, 1);
HOSTAPI_ENTRY_AT(SPBasicSuite, isEqual, 2);
HOSTAPI_ENTRY_AT(SPBasicSuite, allocateBlock, 3);
HOSTAPI_ENTRY_AT(SPBasicSuite, freeBlock, 4);

#endif
