// A CoreFoundation string is an immutable run of UTF-16 units.
#include "hostapi/CoreFoundationStandIn.h"

#include <vector>

struct __CFString {
    std::vector<UniChar> units;
};

extern "C" {

CFStringRef CFStringCreateWithCharacters(CFAllocatorRef, const UniChar* units, CFIndex count) {
    auto* string = new __CFString;
    if (units != nullptr && count > 0) {
        string->units.assign(units, units + count);
    }
    return string;
}

const UniChar* CFStringGetCharactersPtr(CFStringRef string) {
    return string == nullptr || string->units.empty() ? nullptr : string->units.data();
}

CFIndex CFStringGetLength(CFStringRef string) {
    return string == nullptr ? 0 : static_cast<CFIndex>(string->units.size());
}

void CFStringGetCharacters(CFStringRef string, CFRange range, UniChar* buffer) {
    if (string == nullptr || buffer == nullptr || range.location < 0 || range.length <= 0) {
        return;
    }
    const auto size = static_cast<CFIndex>(string->units.size());
    for (CFIndex i = 0; i < range.length && range.location + i < size; ++i) {
        buffer[i] = string->units[static_cast<std::size_t>(range.location + i)];
    }
}

void CFRelease(const void* object) {
    delete static_cast<const __CFString*>(object);
}
}
