#!/usr/bin/env bash
# Renders the demo's artwork before and after the palette's work into
# docs/demo-before.png and docs/demo-after.png (the pictures in the README).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
output=$(mktemp -d)
trap 'rm -rf "$output"' EXIT
bash scripts/run-demo.sh "$output" >/dev/null
rsvg-convert -w 480 -o docs/demo-before.png "$output/artwork.svg"
rsvg-convert -w 480 -o docs/demo-after.png "$output/artwork-after.svg"
echo "wrote docs/demo-before.png and docs/demo-after.png"
