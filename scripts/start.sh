#!/bin/sh
# Builds the editor and starts it from the repository root, where its Resources/ and config/ live.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/install-deps.sh"
cmake -S . -B build-app -DCMAKE_BUILD_TYPE=Release -DVARNEL_TESTS=OFF >/dev/null
cmake --build build-app -j"$(nproc)"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    # A machine without a desktop still starts the editor, on a virtual screen nobody sees.
    echo "No display is set: starting the editor on a virtual X server (xvfb-run)." >&2
    exec xvfb-run -a build-app/varnel
fi
exec build-app/varnel
