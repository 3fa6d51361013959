#!/usr/bin/env bash
# Installs the Debian packages that building, testing, running headless and handing quavelin:
# links to a build need.
# Idempotent and quiet: packages already present are skipped.
set -euo pipefail

packages=(
    build-essential cmake pkg-config
    qt6-base-dev qt6-multimedia-dev qt6-svg-dev qt6-httpserver-dev qt6-websockets-dev
    qt6-qpa-plugins libqt6svg6
    gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-libav
    xvfb xauth
    xdg-utils desktop-file-utils libglib2.0-bin ccache
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
    sudo=sudo
else
    sudo=
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
