#!/usr/bin/env bash
# Builds the screenshot programs and grabs a PNG of every screen into docs/screenshots/.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
build=${QUAVELIN_BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)"
mkdir -p docs/screenshots
for shot in "$build"/tools/shot_*; do
    [ -f "$shot" ] && [ -x "$shot" ] || continue
    QT_QPA_PLATFORM=offscreen QT_MEDIA_BACKEND=gstreamer "$shot" docs/screenshots
done
ls docs/screenshots
