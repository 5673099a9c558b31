// "AI Menu Suite" at versions 1007 and 1008 over the host's menus.
#include "simhost/Host.h"
#include "simhost/Menus.h"

namespace simhost {

namespace {

SuiteKey kMenuKey{kAIMenuSuite, kAIMenuSuiteVersion};
SuiteKey kMenu8Key{kAIMenuSuite, kAIMenuSuiteVersion8};
AIMenuSuite gMenuSuite{};
AIMenuSuite8 gMenuSuite8{};

}  // namespace

void registerMenuSuites(Host& host) {
    registerSuite<kMenuKey>(host, gMenuSuite);
    registerSuite<kMenu8Key>(host, gMenuSuite8);
}

}  // namespace simhost
