#!/bin/sh
# Builds the benchmarks in release mode and prints one table: each figure and its reference, measured
# in five interleaved rounds, with their spread and ratio. Extra arguments go to the benchmark program
# (e.g. --benchmark_filter=).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/install-deps.sh" bench
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DVARNEL_BENCH=ON -DVARNEL_TESTS=OFF -DVARNEL_GUI=OFF >/dev/null
cmake --build build-bench -j"$(nproc)" --target varnel_bench
exec build-bench/bench/varnel_bench "$@"
