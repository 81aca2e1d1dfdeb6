#!/usr/bin/env bash
# Builds everything with warnings as errors, runs each fuzzer for a short while, then every test
# headless through CTest, and once more built with AddressSanitizer and UBSan.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

scripts/deps.sh --test
cmake -S . -B build -DPARLANE_WERROR=ON >/dev/null
cmake --build build -j"$jobs"

if command -v clang++ >/dev/null; then
    cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DPARLANE_FUZZ=ON -DPARLANE_TESTS=OFF -DPARLANE_BENCH=OFF >/dev/null
    cmake --build build-fuzz -j"$jobs" --target fuzzers
    for fuzzer in build-fuzz/bin/fuzz_*; do
        name=$(basename "$fuzzer")
        corpus=$(mktemp -d)
        echo "Fuzzing $name for ${PARLANE_FUZZ_SECONDS:-30} s"
        LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp" "$fuzzer" -timeout=10 \
            -max_total_time="${PARLANE_FUZZ_SECONDS:-30}" -print_final_stats=0 \
            "$corpus" "fuzz/corpus/${name#fuzz_}" 2>"$corpus.log" ||
            { tail -n 40 "$corpus.log"; exit 1; }
        rm -rf "$corpus" "$corpus.log"
    done
else
    echo "clang++ not found: fuzzers skipped"
fi

# The Debian package, which the package tests unpack and check.
(cd build && cpack -G DEB >/dev/null)
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$jobs" --timeout 120)

if command -v clang++ >/dev/null; then
    # Any report ends the program that made it and fails its test. Tools the build runs are
    # checked too, their leaks aside.
    export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1
    export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
    export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
    # Qt on Wayland loads Mesa's EGL driver only to ask whether it may draw window decorations;
    # the driver leaks at load and is unloaded at exit, where no suppression can name it.
    export QT_WAYLAND_DISABLE_WINDOWDECORATION=1
    cmake -S . -B build-asan -DCMAKE_CXX_COMPILER=clang++ -DPARLANE_SANITIZE=ON \
        -DPARLANE_WERROR=ON -DPARLANE_BENCH=OFF >/dev/null
    ASAN_OPTIONS=detect_leaks=0 cmake --build build-asan -j"$jobs"
    (cd build-asan && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$jobs" --timeout 240)
fi
