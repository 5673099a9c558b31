#!/usr/bin/env bash
# Takes docs/serve-page.png, the README's picture of `shunt-host serve`, on
# the example artwork: screenshot-serve.sh [BUILD_DIR] (default build/native).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build/native}"
export SHUNT_HOST="$build/shunthost/shunt-host" SHUNT_PLUGINS="$build/ShuntPalette.bundle"
[[ -x "$SHUNT_HOST" ]] || { echo "screenshot-serve: build shunt-host first ($SHUNT_HOST is missing)" >&2; exit 2; }
if [[ ! -f "$root/tests/browser/node_modules/playwright-core/package.json" ]]; then
    (cd "$root/tests/browser" && npm ci --no-audit --no-fund --loglevel=error)
fi
node "$root/tests/browser/screenshot.mjs" "$root/examples/artwork.svg" "$root/docs/serve-page.png"
