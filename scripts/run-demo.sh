#!/usr/bin/env bash
# The main job: installs what the project needs, builds it, and runs the
# Shunt Palette's demo on the example artwork with shunt-host. The transcript
# is printed; the result is written to ./shunt-demo/artwork-after.svg.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
bash scripts/install-deps.sh
cmake --preset native >/dev/null
cmake --build --preset native -j 2 --target shunt-host
output="${1:-shunt-demo}"
# The demo keeps its palette preferences beside its output, not in the user's.
exec build/native/shunthost/shunt-host demo --output "$output" --prefs "$output/preferences.txt"
