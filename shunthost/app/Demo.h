// The bundled demo: the example artwork, and a scenario that shows every
// kind of operation of the palette on it.
#ifndef SHUNTHOST_APP_DEMO_H
#define SHUNTHOST_APP_DEMO_H

#include <ostream>
#include <string>

#include "ScenarioRunner.h"

namespace shunthost {

// Copies the examples into `outputDir`, runs the demo scenario there and says
// what it wrote. Returns the exit status.
int runDemo(const RunnerSettings& settings, const std::string& outputDir, std::ostream& out,
            std::ostream& err);

}  // namespace shunthost

#endif
