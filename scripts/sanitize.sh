#!/usr/bin/env bash
# Builds the test programs once more under AddressSanitizer and UndefinedBehaviorSanitizer into
# build-asan/ and runs every test there; any report fails its test. Too slow for every CI run:
# run it by hand before a change to a reader of outside files lands.
# Usage: scripts/sanitize.sh [ctest arguments, e.g. -R Hostile]
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=${SANITIZE_JOBS:-4}

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
flags="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTALLYRA_BUILD_BENCH=OFF \
  "${launcher[@]}" \
  -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build build-asan -j"$jobs"

export ASAN_OPTIONS="halt_on_error=1:abort_on_error=1:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cd build-asan
QT_QPA_PLATFORM=offscreen ctest -j"$jobs" --output-on-failure --timeout 900 "$@"
