#!/bin/sh
# Builds the benchmarks in release mode and prints one table: each figure, its reference measured in
# the same run, and their ratio. Extra arguments go to the benchmark program (e.g. --benchmark_filter=).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/install-deps.sh"
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DVARNEL_BENCH=ON -DVARNEL_TESTS=OFF -DVARNEL_GUI=OFF >/dev/null
cmake --build build-bench -j"$(nproc)" --target varnel_bench
exec build-bench/bench/varnel_bench "$@"
