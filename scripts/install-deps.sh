#!/usr/bin/env bash
# Installs every Debian package the project needs (listed in apt-packages.txt).
# Quick when all are present already: apt is only called for missing ones.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
mapfile -t packages < <(sed -e 's/#.*//' -e 's/[[:space:]]//g' -e '/^$/d' "$here/apt-packages.txt")

missing=()
for package in "${packages[@]}"; do
    status="$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)"
    if [[ "$status" != "installed" ]]; then
        missing+=("$package")
    fi
done

if ((${#missing[@]} == 0)); then
    echo "install-deps: all ${#packages[@]} packages are installed"
    exit 0
fi

echo "install-deps: installing ${missing[*]}"
sudo=()
if [[ "$(id -u)" != 0 ]]; then
    sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
# Others on the machine may hold apt's lock for a while; wait for it.
apt_options=(-o DPkg::Lock::Timeout=600 -q)
"${sudo[@]}" apt-get "${apt_options[@]}" update
"${sudo[@]}" apt-get "${apt_options[@]}" install -y --no-install-recommends "${missing[@]}"
