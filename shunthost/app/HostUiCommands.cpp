// Scenario commands that go through the host's menus and preferences.
#include "ScenarioRunner.h"

namespace shunthost {

void ScenarioRunner::executeHostUi(const Command& command) {
    print("refused \"" + command.name + "\": the host has no menus or preferences yet");
}

}  // namespace shunthost
