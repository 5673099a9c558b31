// "AI Unicode String Suite" over the host's string table.
#include "simhost/Host.h"
#include "simhost/UnicodeStrings.h"

namespace simhost {

namespace {

SuiteKey kUnicodeKey{kAIUnicodeStringSuite, kAIUnicodeStringSuiteVersion};
AIUnicodeStringSuite gUnicodeSuite{};

}  // namespace

void registerUnicodeStringSuite(Host& host) { registerSuite<kUnicodeKey>(host, gUnicodeSuite); }

}  // namespace simhost
