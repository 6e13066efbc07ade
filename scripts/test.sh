#!/bin/sh
# Checks the format of every source, builds everything and runs every test: a normal build (GUI tests
# under a virtual X server), a build as another project's subproject, an AddressSanitizer +
# UndefinedBehaviorSanitizer build of every non-GUI test, and the fuzz targets for a bounded time. Exits
# non-zero when anything fails.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
"$root/scripts/install-deps.sh" || exit 1

jobs=$(nproc)
fuzz_seconds=${VARNEL_FUZZ_SECONDS:-60}
status=0

step() { echo; echo "==== $*"; }

# One format for every source: the committed .clang-format, checked before anything is built.
step "format check"
if ! git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror; then
    echo "Some files differ from .clang-format: run  git ls-files '*.cpp' '*.h' | xargs clang-format -i"
    status=1
fi

step "normal build"
if cmake -S . -B build -DVARNEL_WERROR=ON >/dev/null && cmake --build build -j"$jobs"; then
    step "tests"
    ctest --test-dir build --output-on-failure -j"$jobs" -LE gui || status=1
    # One window at a time: windows of parallel tests on one X server would take each other's focus.
    step "GUI tests"
    xvfb-run -a ctest --test-dir build --output-on-failure -L gui || status=1
else
    status=1
fi

# Another project that takes this one in with add_subdirectory builds it and opens an archive with it.
step "build as a subproject"
if cmake -S tests/Consumer -B build-consumer -DVARNEL_WERROR=ON >/dev/null && cmake --build build-consumer -j"$jobs"; then
    step "archive opened from the subproject build"
    (cd build-consumer && ./varnel_consumer) || status=1
else
    status=1
fi

step "sanitizer build (address, undefined)"
if cmake -S . -B build-asan -DVARNEL_WERROR=ON -DVARNEL_SANITIZE=ON -DVARNEL_GUI=OFF -DCMAKE_BUILD_TYPE=Debug >/dev/null &&
   cmake --build build-asan -j"$jobs"; then
    step "tests under the sanitizers"
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
        ctest --test-dir build-asan --output-on-failure -j"$jobs" -LE gui || status=1
else
    status=1
fi

if [ -n "$(ls fuzz/*.cpp 2>/dev/null)" ]; then
    step "fuzz build"
    if CXX=clang++ CC=clang cmake -S . -B build-fuzz -DVARNEL_WERROR=ON -DVARNEL_FUZZ=ON -DVARNEL_GUI=OFF \
            -DVARNEL_TESTS=OFF >/dev/null && cmake --build build-fuzz -j"$jobs"; then
        for target in build-fuzz/fuzz/fuzz_*; do
            name=$(basename "$target" | sed 's/^fuzz_//')
            corpus=build-fuzz/corpus/$name
            mkdir -p "$corpus"
            step "fuzzing $name for $fuzz_seconds s"
            "$target" -max_total_time="$fuzz_seconds" -print_final_stats=1 "$corpus" "fuzz/seeds/$name" \
                >"build-fuzz/$name.log" 2>&1 || { tail -60 "build-fuzz/$name.log"; status=1; }
            tail -3 "build-fuzz/$name.log"
        done
    else
        status=1
    fi
fi

echo
if [ "$status" -eq 0 ]; then echo "ALL TESTS PASSED"; else echo "SOME TESTS FAILED"; fi
exit "$status"
