#!/usr/bin/env bash
# Builds everything and runs every test: the unit and dialog tests, the format
# core again under AddressSanitizer and UndefinedBehaviorSanitizer, the Windows
# programs cross-built and tested under Wine, the packages built and checked,
# and the fuzzers for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)
log=$(mktemp)
trap 'rm -f "$log"' EXIT

echo "== build and unit tests"
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMRV_WERROR=ON >/dev/null
cmake --build build/test -j "$jobs"
ctest --test-dir build/test --output-on-failure -j "$jobs" | tee -a "$log"

echo "== format core under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMRV_GUI=OFF -DMRV_SANITIZE=ON -DMRV_WERROR=ON >/dev/null
cmake --build build/asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build/asan --output-on-failure -j "$jobs" | tee -a "$log"

echo "== Windows programs, tested under Wine"
scripts/windows-test.sh | tee -a "$log"

echo "== packages: the Debian package and the Windows zips, built, unpacked and checked"
scripts/package-test.sh

echo "== fuzzers"
CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMRV_GUI=OFF -DMRV_TESTS=OFF -DMRV_FUZZ=ON >/dev/null
cmake --build build/fuzz -j "$jobs"
for f in build/fuzz/fuzz/fuzz_*; do
  [ -x "$f" ] || continue
  echo "-- $(basename "$f")"
  corpus="build/fuzz/corpus/$(basename "$f")"
  mkdir -p "$corpus"
  "$f" -max_total_time="${MRV_FUZZ_SECONDS:-20}" -print_final_stats=0 "$corpus" fuzz/seeds/ 2>&1 | tail -n 2
done

# One closing line for both runs: "N passed, N failed".
total=$(( $(sed -n 's/.*tests failed out of \([0-9]*\).*/\1/p' "$log" | paste -sd+) ))
failed=$(( $(sed -n 's/.*, \([0-9]*\) tests failed out of.*/\1/p' "$log" | paste -sd+) ))
echo "$((total - failed)) passed, $failed failed"
