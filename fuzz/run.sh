#!/usr/bin/env bash
# Builds the conversion fuzzer with clang and runs it on the seed corpus.
#
#   fuzz/run.sh [SECONDS]     (default 60)
#
# Exits non-zero on any finding; the input that caused it is kept in
# build-fuzz/findings/. New inputs it discovers go to a scratch directory, so
# the committed corpus changes only by hand.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

CXX=clang++ cmake -S . -B build-fuzz -DTROVIK_FUZZ=ON -DBUILD_TESTING=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz --target conversion_fuzzer >/dev/null

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p build-fuzz/findings
status=0
./build-fuzz/conversion_fuzzer -max_total_time="$seconds" -print_final_stats=1 \
  -artifact_prefix=build-fuzz/findings/ "$scratch" fuzz/corpus >"$scratch.log" 2>&1 || status=$?
# The start, the end and any finding; not every new input along the way.
grep -vE '^#[0-9]+\s+(NEW|REDUCE|pulse)|^"|dictionary' "$scratch.log" | grep -vE '^INFO: .*(Loaded|Running with)' || true
rm -f "$scratch.log"
[ "$status" -eq 0 ] || echo "FUZZER FINDING: see build-fuzz/findings/"
exit "$status"
