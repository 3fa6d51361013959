#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors and runs every test, then builds the
# application as a packager would, with the tests off.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
build=${QUAVELIN_BUILD_DIR:-build}
options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUAVELIN_WERROR=ON)
if command -v ccache >/dev/null 2>&1; then
    # Paths relative to the checkout and no working folder in the hash: the packager's tree
    # compiles the same sources with the same flags and takes the main tree's objects.
    options+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=true
fi
cmake -S . -B "$build" "${options[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)"
QT_QPA_PLATFORM=offscreen QT_MEDIA_BACKEND=gstreamer \
    ctest --test-dir "$build" --output-on-failure -j"$(nproc)" --timeout 300

cmake -S . -B "$build-no-tests" "${options[@]}" -DQUAVELIN_BUILD_TESTS=OFF >/dev/null
cmake --build "$build-no-tests" -j"$(nproc)"
