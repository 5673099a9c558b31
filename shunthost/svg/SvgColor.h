// Colours as SVG writes them (#rgb, #rrggbb, rgb(), the named colours) and the
// host's colour kinds as SVG can show them.
#ifndef SHUNTHOST_SVG_SVGCOLOR_H
#define SHUNTHOST_SVG_SVGCOLOR_H

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "hostapi/AIArtSuites.h"

namespace shunthost::svg {

// Red, green and blue from 0 to 1.
using Rgb = std::array<float, 3>;

// A colour value; nullopt for anything else (including none, url() and currentColor).
std::optional<Rgb> parseColor(std::string_view text);

// The byte of a component from 0 to 1, rounded and clamped.
int colorByte(float component);

// "#rrggbb", the nearest that SVG can show.
std::string formatColor(const Rgb& rgb);

// How a host colour of a kind other than a paint server looks on screen: gray
// is a level (0 black, 1 white), four-colour is cyan, magenta, yellow, black
// from 0 to 1, three-colour is red, green, blue. Custom colours are shown by
// their first three components, as three-colour.
Rgb screenColor(ASInt32 kind, const AIReal components[4]);

}  // namespace shunthost::svg

#endif
