#!/usr/bin/env bash
# Installs the Debian packages that building, running or testing Setlistry needs, when any is missing.
# Usage: scripts/install-deps.sh build|test
set -euo pipefail

packages=(build-essential cmake ninja-build pkg-config python3
          qt6-base-dev qt6-base-dev-tools qt6-image-formats-plugins libgl-dev fonts-dejavu-core)
if [[ "${1:-build}" == test ]]; then
    packages+=(googletest libgtest-dev libgmock-dev chromium xvfb xauth git clang clang-format libclang-rt-14-dev mpv
               mpd mpc appstream desktop-file-utils)
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    [[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
