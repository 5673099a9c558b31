// The few CoreFoundation string functions the Unicode string wrapper uses.
// On Mac OS X they come from the system; elsewhere a small stand-in library
// provides them with the same meaning.
#ifndef HOSTAPI_COREFOUNDATIONSTANDIN_H
#define HOSTAPI_COREFOUNDATIONSTANDIN_H

#include <cstdint>

struct __CFString;
struct __CFAllocator;
using CFStringRef = const __CFString*;
using CFAllocatorRef = const __CFAllocator*;
using UniChar = std::uint16_t;
using CFIndex = long;

struct CFRange {
    CFIndex location;
    CFIndex length;
};

extern "C" {
// allocator (null: the default), units (copied), count. A new string, the caller's.
CFStringRef CFStringCreateWithCharacters(CFAllocatorRef allocator, const UniChar* units, CFIndex count);
// string. Its units when they can be had without copying, else null.
const UniChar* CFStringGetCharactersPtr(CFStringRef string);
// string. Its length in units.
CFIndex CFStringGetLength(CFStringRef string);
// string, range, out: buffer of range.length units.
void CFStringGetCharacters(CFStringRef string, CFRange range, UniChar* buffer);
// an object from a Create function; released.
void CFRelease(const void* object);
}

#endif
