#!/bin/sh
# Installs what a fresh Debian 12 machine lacks to build, run and test the editor; with the argument
# "bench", also what the benchmarks compare with.
# Runs as root (or through sudo); does nothing when every package is already present.
set -eu

BUILD="build-essential cmake pkg-config libwxgtk3.2-dev zlib1g-dev libstb-dev libgtest-dev libbenchmark-dev"
TEST="xvfb xauth imagemagick python3-pil libnvtt-bin clang libclang-rt-14-dev clang-format"
# A real photograph (a JPEG of about 6000x3400 pixels) for the mip-chain benchmarks.
BENCH="lomiri-wallpapers-20.04"
packages="$BUILD $TEST"
[ "${1:-}" = bench ] && packages="$packages $BENCH"

missing=""
for package in $packages; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $package"
    fi
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    exec sudo "$0" "$@"
fi
echo "Installing:$missing"
apt-get update
# shellcheck disable=SC2086
DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $missing
