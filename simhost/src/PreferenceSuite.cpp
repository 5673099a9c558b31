// "AI Preference Suite" over the host's preference store.
#include "simhost/Host.h"
#include "simhost/PreferenceStore.h"

namespace simhost {

namespace {

SuiteKey kPreferenceKey{kAIPreferenceSuite, kAIPreferenceSuiteVersion};
AIPreferenceSuite gPreferenceSuite{};

}  // namespace

void registerPreferenceSuite(Host& host) { registerSuite<kPreferenceKey>(host, gPreferenceSuite); }

}  // namespace simhost
