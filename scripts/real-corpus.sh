#!/usr/bin/env bash
# Runs shunt-host over the SVG drawings that Debian's inkscape, inkscape-open-symbols,
# openclipart-svg and adwaita-icon-theme install: each is opened and saved unchanged
# (it must render pixel-identical in librsvg) and, where it has pattern fills, has
# them moved by the palette (librsvg, Chromium and Inkscape must each show the fills
# displaced by the step and nothing else changed). Prints the files, the refusals by
# reason, the pixel-identical saves, the objects moved and the renderer disagreements.
#
#   bash scripts/real-corpus.sh [--build DIR] [--limit N] [--jobs N] [--out DIR]
#                               [--renderers rsvg,chromium,inkscape] [--no-install]
#
# --limit N takes an even sample of N files (the same N files on every run).
# The drawings are read where the packages put them and never written; every file
# is worked on in a temporary folder of its own, so runs may go side by side.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$here/build/native"
limit=0
jobs=2
out=""
renderers="rsvg,chromium,inkscape"
install=1
packages=(inkscape inkscape-open-symbols openclipart-svg adwaita-icon-theme)

usage() {
    sed -n '2,14p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'
    exit "${1:-0}"
}
while (($#)); do
    case "$1" in
        --build) build="$2"; shift 2 ;;
        --limit) limit="$2"; shift 2 ;;
        --jobs) jobs="$2"; shift 2 ;;
        --out) out="$2"; shift 2 ;;
        --renderers) renderers="$2"; shift 2 ;;
        --no-install) install=0; shift ;;
        -h|--help) usage 0 ;;
        *) echo "real-corpus.sh: unknown argument '$1'" >&2; usage 2 >&2 ;;
    esac
done
[[ "$limit" =~ ^[0-9]+$ && "$jobs" =~ ^[1-9][0-9]*$ ]] || { echo "real-corpus.sh: --limit and --jobs take numbers" >&2; exit 2; }
host="$build/shunthost/shunt-host"
bundle="$build/ShuntPalette.bundle"
[[ -x "$host" && -d "$bundle" ]] || { echo "real-corpus.sh: no shunt-host and bundle in $build (build it first)" >&2; exit 2; }

if ((install)); then
    missing=()
    for package in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
    done
    if ((${#missing[@]})); then
        echo "Installing ${missing[*]}"
        apt-get install -y --no-install-recommends "${missing[@]}" >/dev/null
    fi
fi

# Chromium is driven through playwright-core, from the lock file the browser tests use.
if [[ ",$renderers," == *,chromium,* && ! -f "$here/tests/browser/node_modules/playwright-core/package.json" ]]; then
    (cd "$here/tests/browser" && npm ci --no-audit --no-fund --loglevel=error)
fi

out="${out:-$(mktemp -d "${TMPDIR:-/tmp}/shunt-real-corpus.XXXXXX")}"
mkdir -p "$out"
list="$out/files.txt"
for package in "${packages[@]}"; do
    dpkg -L "$package" 2>/dev/null || true
done | grep -E '\.svg$' | sort -u | while read -r file; do
    [[ -f "$file" && ! -L "$file" ]] && echo "$file"
done > "$list.all"
total=$(wc -l < "$list.all")
if ((limit > 0 && limit < total)); then
    awk -v n="$total" -v k="$limit" 'int((NR - 1) * k / n) != int(NR * k / n)' "$list.all" > "$list"
else
    cp "$list.all" "$list"
fi
echo "Checking $(wc -l < "$list") of $total files with $jobs jobs; details in $out/results.jsonl"
exec nice -n 10 /usr/bin/python3 "$here/tests/corpus/real_corpus.py" --host "$host" --plugins "$bundle" \
    --out "$out" --jobs "$jobs" --renderers "$renderers" "$list"
