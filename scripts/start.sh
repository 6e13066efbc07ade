#!/bin/sh
# Builds the editor and starts it from the repository root, where its Resources/ and config/ live.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/install-deps.sh"
cmake -S . -B build-app -DCMAKE_BUILD_TYPE=Release -DVARNEL_TESTS=OFF >/dev/null
cmake --build build-app -j"$(nproc)"
if [ -x build-app/varnel ]; then
    exec build-app/varnel
fi
echo "The libraries are built; the editor window is not part of this build yet, so there is nothing to start."
