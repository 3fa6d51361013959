#!/usr/bin/env bash
# Installs what is missing, builds and starts the application.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
build=${QUAVELIN_BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target quavelin
# The browser hands the sign-in back through a quavelin: link: this build has to receive it.
./scripts/register-handler.sh "$build/src/quavelin"
export QT_MEDIA_BACKEND=${QT_MEDIA_BACKEND:-gstreamer}
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    # No desktop session (a server or a container): run on a virtual display.
    exec xvfb-run -a "$build/src/quavelin" "$@"
fi
exec "$build/src/quavelin" "$@"
