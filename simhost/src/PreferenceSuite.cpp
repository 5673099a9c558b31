// "AI Preference Suite" over the host's preference store. A read of a key
// that holds nothing, or a value of another kind, leaves the caller's value
// as it was.
#include <cstring>

#include "simhost/Host.h"
#include "simhost/PreferenceStore.h"

namespace simhost {

namespace {

SuiteKey kPreferenceKey{kAIPreferenceSuite, kAIPreferenceSuiteVersion};

PreferenceStore& store() {
    return Host::current().preferences();
}

std::string where(const char* prefix, const char* suffix) {
    return std::string("\"") + (prefix ? prefix : "null") + "\" \"" + (suffix ? suffix : "null") + "\"";
}

// Section and key must be given; the value's address too for a read.
bool validNames(const char* entry, const char* prefix, const char* suffix, const void* value) {
    if (prefix == nullptr || suffix == nullptr || value == nullptr) {
        Host::current().violation(std::string(entry) + ": null section, key or value address");
        return false;
    }
    return true;
}

template <class T>
const T* stored(const char* prefix, const char* suffix) {
    const PreferenceValue* value = store().find(prefix, suffix);
    return value != nullptr ? std::get_if<T>(value) : nullptr;
}

AIErr putBooleanPreference(const char* prefix, const char* suffix, AIBoolean value) noexcept {
    if (auto fault = Host::current().enter(kPreferenceKey, 1, [&] { return where(prefix, suffix); })) {
        return *fault;
    }
    if (!validNames("putBooleanPreference", prefix, suffix, "")) {
        return kBadParameterErr;
    }
    store().put(prefix, suffix, value != 0);
    return kNoErr;
}

AIErr getIntegerPreference(const char* prefix, const char* suffix, ASInt32* value) noexcept {
    if (auto fault = Host::current().enter(kPreferenceKey, 2, [&] { return where(prefix, suffix); })) {
        return *fault;
    }
    if (!validNames("getIntegerPreference", prefix, suffix, value)) {
        return kBadParameterErr;
    }
    if (const auto* found = stored<ASInt32>(prefix, suffix)) {
        *value = *found;
    }
    return kNoErr;
}

AIErr putIntegerPreference(const char* prefix, const char* suffix, ASInt32 value) noexcept {
    if (auto fault = Host::current().enter(kPreferenceKey, 3, [&] { return where(prefix, suffix); })) {
        return *fault;
    }
    if (!validNames("putIntegerPreference", prefix, suffix, "")) {
        return kBadParameterErr;
    }
    store().put(prefix, suffix, value);
    return kNoErr;
}

AIErr getStringPreference(const char* prefix, const char* suffix, char* value) noexcept {
    if (auto fault = Host::current().enter(kPreferenceKey, 6, [&] { return where(prefix, suffix); })) {
        return *fault;
    }
    if (!validNames("getStringPreference", prefix, suffix, value)) {
        return kBadParameterErr;
    }
    if (const auto* found = stored<std::string>(prefix, suffix)) {
        // put refuses longer strings, so this always fits the caller's buffer.
        const std::size_t n = std::min<std::size_t>(found->size(), kMaxPreferenceStringSize - 1);
        std::memcpy(value, found->data(), n);
        value[n] = '\0';
    }
    return kNoErr;
}

AIErr putStringPreference(const char* prefix, const char* suffix, const char* value) noexcept {
    if (auto fault = Host::current().enter(kPreferenceKey, 7, [&] { return where(prefix, suffix); })) {
        return *fault;
    }
    if (!validNames("putStringPreference", prefix, suffix, value)) {
        return kBadParameterErr;
    }
    if (std::strlen(value) > kMaxPreferenceStringSize - 1) {
        return kBadParameterErr;
    }
    store().put(prefix, suffix, std::string(value));
    return kNoErr;
}

AIErr getPointPreference(const char* prefix, const char* suffix, ADMPoint* value) noexcept {
    if (auto fault = Host::current().enter(kPreferenceKey, 20, [&] { return where(prefix, suffix); })) {
        return *fault;
    }
    if (!validNames("getPointPreference", prefix, suffix, value)) {
        return kBadParameterErr;
    }
    if (const auto* found = stored<ADMPoint>(prefix, suffix)) {
        *value = *found;
    }
    return kNoErr;
}

AIErr putPointPreference(const char* prefix, const char* suffix, const ADMPoint* value) noexcept {
    if (auto fault = Host::current().enter(kPreferenceKey, 21, [&] { return where(prefix, suffix); })) {
        return *fault;
    }
    if (!validNames("putPointPreference", prefix, suffix, value)) {
        return kBadParameterErr;
    }
    store().put(prefix, suffix, *value);
    return kNoErr;
}

AIPreferenceSuite gPreferenceSuite{
    .putBooleanPreference = putBooleanPreference,
    .getIntegerPreference = getIntegerPreference,
    .putIntegerPreference = putIntegerPreference,
    .getStringPreference = getStringPreference,
    .putStringPreference = putStringPreference,
    .getPointPreference = getPointPreference,
    .putPointPreference = putPointPreference,
};

}  // namespace

void registerPreferenceSuite(Host& host) {
    registerSuite<kPreferenceKey>(host, gPreferenceSuite);
}

}  // namespace simhost
