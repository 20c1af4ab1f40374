#!/usr/bin/env bash
# Builds a fuzzing harness of the exchange-file readers with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) into build-fuzz/ and runs it for the given seconds, seeded with the
# fixtures. Each input is also read by QXmlStreamReader; a disagreement, a crash or a sanitizer
# report stops the run and leaves the input in build-fuzz/findings/.
# Usage: scripts/fuzz.sh [scanner|recordset] [seconds] [more libFuzzer arguments]
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:-scanner}
seconds=${2:-60}
shift $(( $# < 2 ? $# : 2 ))
case $target in scanner|recordset) ;; *) echo "usage: $0 [scanner|recordset] [seconds]" >&2; exit 2 ;; esac
command -v clang++ >/dev/null || { echo "needs clang: apt-get install clang libclang-rt-14-dev" >&2; exit 2; }

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DTALLYRA_BUILD_FUZZ=ON -DTALLYRA_BUILD_TESTS=OFF -DTALLYRA_BUILD_BENCH=OFF "${launcher[@]}" >/dev/null
cmake --build build-fuzz -j"${FUZZ_JOBS:-4}" --target "${target}_fuzz"

# The corpus grows in the build folder; the fixtures only seed it.
corpus=build-fuzz/corpus/$target
findings=build-fuzz/findings/$target
mkdir -p "$corpus" "$findings"
seeds=(tests/fixtures)
[ -d ../shared/fixtures/ado-xml ] && seeds+=(../shared/fixtures/ado-xml)

export ASAN_OPTIONS="halt_on_error=1:abort_on_error=1:detect_leaks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
exec "build-fuzz/fuzz/${target}_fuzz" -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
  -dict=fuzz/xml.dict -artifact_prefix="$findings/" -print_final_stats=1 "$@" "$corpus" "${seeds[@]}"
