#!/usr/bin/env bash
# Builds the worksheet fuzzer with Clang, AddressSanitizer and UBSan into
# build-fuzz/ and runs it from the seed corpus in fuzz/corpus/.
#
#   fuzz/run.sh                        until stopped (Ctrl-C) or something breaks,
#                                      growing its own corpus in build-fuzz/fuzz/corpus
#   fuzz/run.sh -max_total_time=3600   further arguments go to libFuzzer
#   fuzz/run.sh --bounded              what scripts/test runs: a fixed seed, a fixed
#                                      number of runs (80,000), a fresh corpus
#
# A finding is written to build-fuzz/fuzz/artifacts/ and the command fails;
# build-fuzz/fuzz/fuzz_worksheet FILE replays it.

set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${TALLABY_FUZZ_BUILD:-$root/build-fuzz}"

bounded=
if [ "${1:-}" = --bounded ]; then
    bounded=yes
    shift
fi

cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER="${TALLABY_FUZZ_CXX:-clang++-14}" \
    -DTALLABY_BUILD_FUZZ=ON -DTALLABY_SANITIZE=ON -DTALLABY_WERROR=ON \
    -DTALLABY_BUILD_TESTS=OFF -DTALLABY_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target fuzz_worksheet --parallel "$(nproc 2>/dev/null || echo 2)"

work="$build/fuzz"
corpus="$work/corpus"
# A hang is a finding too: no input takes a second even under the sanitizers.
options=(-dict="$root/fuzz/worksheet.dict" -artifact_prefix="$work/artifacts/" -timeout=25)
if [ -n "$bounded" ]; then
    corpus="$work/bounded-corpus"
    rm -rf "$corpus"
    # The run count makes it repeatable; the time only stops a slow machine.
    options+=(-seed=1 -runs=80000 -max_total_time=150 -print_final_stats=1)
fi
mkdir -p "$corpus" "$work/artifacts"

echo "Fuzzing the worksheet (${bounded:+bounded run, }corpus $corpus)"
exec "$work/fuzz_worksheet" "${options[@]}" "$@" "$corpus" "$root/fuzz/corpus"
