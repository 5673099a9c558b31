// "AI User Suite": numbers to and from text.
#include "simhost/Host.h"

namespace simhost {

namespace {

SuiteKey kUserKey{kAIUserSuite, kAIUserSuiteVersion};
AIUserSuite gUserSuite{};

}  // namespace

void registerUserSuite(Host& host) { registerSuite<kUserKey>(host, gUserSuite); }

}  // namespace simhost
