#!/bin/sh
# Builds the benchmarks in release mode and prints one table: each figure and its reference, measured
# in five interleaved rounds, with their spread and ratio. Extra arguments go to the benchmark program
# (e.g. --benchmark_filter=). The figures of the user interface need a display: without one they run on
# a virtual X server.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/install-deps.sh" bench
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DVARNEL_BENCH=ON -DVARNEL_TESTS=OFF -DVARNEL_GUI=ON >/dev/null
cmake --build build-bench -j"$(nproc)" --target varnel_bench
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" build-bench/bench/varnel_bench "$@"
fi
exec build-bench/bench/varnel_bench "$@"
