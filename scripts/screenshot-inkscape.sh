#!/usr/bin/env bash
# Takes docs/inkscape-dialog.png, the README's picture of the Shunt Palette in
# Inkscape: the example artwork with the Slide Pattern dialog open, under Xvfb
# in a fresh profile. screenshot-inkscape.sh [BUILD_DIR] (default build/native).
# Needs inkscape, xvfb-run, xdotool, xwd (Debian package x11-apps), xwdtopnm
# and pnmtopng (netpbm); the test command needs none of the last four, so they
# are not in scripts/apt-packages.txt. The dialog is opened the way a user
# opens it, through Extensions > Shunt Palette > Slide Pattern... (Inkscape
# 1.2 crashes when an effect's dialog is opened by a start-up action); the
# clicks assume Inkscape's default layout in a 1280x800 screen.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build/native}"
host="$build/shunthost/shunt-host"
[[ -x "$host" ]] || { echo "screenshot-inkscape: build shunt-host first ($host is missing)" >&2; exit 2; }
for tool in inkscape xvfb-run xdotool xwd xwdtopnm pnmtopng; do
    command -v "$tool" >/dev/null || { echo "screenshot-inkscape: $tool is not installed" >&2; exit 2; }
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config"
export INKSCAPE_PROFILE_DIR="$XDG_CONFIG_HOME/inkscape"
mkdir -p "$INKSCAPE_PROFILE_DIR"
"$host" inkscape-install >/dev/null
# The dialog shows "Down and right" with a step of 8 (Shift+Ctrl on the palette).
cat >"$INKSCAPE_PROFILE_DIR/preferences.xml" <<'PREFS'
<?xml version="1.0" encoding="UTF-8"?>
<inkscape xmlns:sodipodi="http://sodipodi.sourceforge.net/DTD/sodipodi-0.dtd" xmlns:inkscape="http://www.inkscape.org/namespaces/inkscape" version="1">
  <group id="extensions" shunt.palette.slide.item="2" shunt.palette.slide.step="8"/>
</inkscape>
PREFS
cp "$root/examples/"* "$work/"

timeout 120 xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
    inkscape -g --actions="select-by-id:dots-left,dots-right" "$1/artwork.svg" >"$1/inkscape.log" 2>&1 &
    inkscape=$!
    sleep "${SHUNT_SCREENSHOT_WAIT:-16}"
    window="$(xdotool search --onlyvisible --class inkscape | head -n 1)"
    xdotool windowsize "$window" 1280 800 windowmove "$window" 0 0
    sleep 2
    xdotool mousemove 424 12 click 1    # Extensions
    sleep 2
    xdotool mousemove 470 363           # Shunt Palette
    sleep 2
    xdotool mousemove 760 363 sleep 1 mousemove 780 488 sleep 1 click 1    # Slide Pattern...
    sleep 6
    xdotool mousemove 24 161 click 1    # Live preview: the dots move down and right by 8
    sleep 8
    xwd -root -silent | xwdtopnm 2>/dev/null | pnmtopng >"$2"
    kill "$inkscape"
    wait "$inkscape" || true' screenshot "$work" "$root/docs/inkscape-dialog.png"
echo "wrote $root/docs/inkscape-dialog.png"
