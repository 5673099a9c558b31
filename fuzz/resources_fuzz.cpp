// A bundle's resource file as the host reads it: a bad one is refused with a
// FILE:LINE message.
#include <cstdint>
#include <string>

#include "simhost/Resources.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    simhost::PluginResources resources;
    try {
        simhost::parseResources(text, "fuzz.rsrc", resources);
    } catch (const simhost::ResourceError&) {
    }
    return 0;
}
