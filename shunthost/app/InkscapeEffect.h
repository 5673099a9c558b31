// One Inkscape effect: the drawing Inkscape hands over is opened in the
// simulated host, the objects selected in Inkscape are selected there, the
// palette's modifier keys for the step are held and its item is clicked (or
// its popup entry chosen), and the drawing goes back on standard output. What
// the plug-in says to the user goes to standard error, which Inkscape shows.
#ifndef SHUNTHOST_APP_INKSCAPEEFFECT_H
#define SHUNTHOST_APP_INKSCAPEEFFECT_H

#include <ostream>
#include <string>
#include <vector>

#include "InkscapeCall.h"

namespace shunthost {

struct EffectSettings {
    std::vector<std::string> bundles;
    std::string preferencesFile;     // the palette's own preferences; empty: in memory only
    std::string capturedMatrixFile;  // the last capture, for the next run's apply and show
};

// The bundles built or installed with the program, the palette's preferences
// in memory, and the last capture in the user's configuration folder
// ($XDG_CONFIG_HOME/shunt-host, or ~/.config/shunt-host).
EffectSettings defaultEffectSettings();

// Exit status 0 when the effect ran (whatever the plug-in said), 2 when the
// call or the drawing is unusable; the drawing then goes back unchanged.
int runEffect(const EffectCall& call, const EffectSettings& settings, std::ostream& out, std::ostream& err);

// The whole command line after the program's name.
int runEffectCommandLine(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace shunthost

#endif
