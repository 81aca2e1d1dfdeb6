#!/usr/bin/env bash
# Line coverage of src/ by the whole test suite: a gcc build instrumented with --coverage beside
# the others, every CTest test, then gcovr's summary of src/ alone.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-coverage}

scripts/deps.sh --test
flags=(-DCMAKE_CXX_FLAGS=--coverage -DCMAKE_EXE_LINKER_FLAGS=--coverage
    -DCMAKE_SHARED_LINKER_FLAGS=--coverage -DCMAKE_MODULE_LINKER_FLAGS=--coverage)
cmake -S . -B "$build" -DPARLANE_BENCH=OFF "${flags[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)"
# Counts of an earlier run would add up with this one's.
find "$build" -name '*.gcda' -delete
(cd "$build" && cpack -G DEB >/dev/null)
(cd "$build" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)" --timeout 240)
gcovr --root . --filter 'src/' --object-directory "$build" --print-summary --output "$build/coverage.txt"
