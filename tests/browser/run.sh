#!/usr/bin/env bash
# Runs the page's end-to-end tests: run.sh SHUNT_HOST BUNDLE_DIR.
# Installs playwright-core from package-lock.json on the first run; exits 77
# (ctest: skipped) with the reason when node, npm or chromium is missing.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
export SHUNT_HOST="$1" SHUNT_PLUGINS="$2"
export SHUNT_CHROMIUM="${SHUNT_CHROMIUM:-/usr/bin/chromium}"

skip() {
    echo "SKIPPED: $1"
    exit 77
}
command -v node >/dev/null || skip "node is not installed (Debian package nodejs)"
[[ -x "$SHUNT_CHROMIUM" ]] || skip "$SHUNT_CHROMIUM is not installed (Debian package chromium)"
if [[ ! -f "$here/node_modules/playwright-core/package.json" ]]; then
    command -v npm >/dev/null || skip "npm is not installed: it brings the tests' driver, playwright-core"
    (cd "$here" && npm ci --no-audit --no-fund --loglevel=error)
fi
exec node --test --test-concurrency=1 "$here/palette.test.mjs"
