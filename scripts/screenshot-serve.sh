#!/usr/bin/env bash
# Takes docs/serve-page-1024.png and docs/serve-page-1920.png, the README's
# pictures of `shunt-host serve` at 1024x768 and 1920x1080, on the example artwork: screenshot-serve.sh [BUILD_DIR] (default build/native).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build/native}"
export SHUNT_HOST="$build/shunthost/shunt-host" SHUNT_PLUGINS="$build/ShuntPalette.bundle"
[[ -x "$SHUNT_HOST" ]] || { echo "screenshot-serve: build shunt-host first ($SHUNT_HOST is missing)" >&2; exit 2; }
if [[ ! -f "$root/tests/browser/node_modules/playwright-core/package.json" ]]; then
    (cd "$root/tests/browser" && npm ci --no-audit --no-fund --loglevel=error)
fi
for size in 1024x768 1920x1080; do
    node "$root/tests/browser/screenshot.mjs" "$root/examples/artwork.svg" "$root/docs/serve-page-${size%%x*}.png" "$size"
done
