#!/usr/bin/env bash
# Builds everything and runs every test: the unit and dialog tests, those that
# root would skip again as an unprivileged user, the format core under
# AddressSanitizer and UndefinedBehaviorSanitizer, the Windows programs
# cross-built and tested under Wine, the packages built and checked, and the
# fuzzers for a bounded time. Prints each stage's time, then what could not be
# run on this machine and why ("not run: ..."), then "N passed, N failed".
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh test
export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)
mkdir -p build
log=$(mktemp)
# What a stage could not run here, one line each; the sub-scripts add to it.
export MRV_NOT_RUN="$PWD/build/not-run.txt"
: >"$MRV_NOT_RUN"
trap 'rm -f "$log"' EXIT

# A small file system of its own, full during the test that needs one (as
# root, where mounting is allowed): changes that find the disk full.
export MRV_FULL_DISK="$PWD/build/full-disk"
mkdir -p "$MRV_FULL_DISK"
if mountpoint -q "$MRV_FULL_DISK" || { [ "$(id -u)" -eq 0 ] && mount -t tmpfs -o size=512k tmpfs "$MRV_FULL_DISK" 2>/dev/null; }; then
  trap 'rm -f "$log"; umount "$MRV_FULL_DISK" 2>/dev/null || true' EXIT
else
  echo "not run: the tests on a full disk (mounting a small file system needs root)" >>"$MRV_NOT_RUN"
  unset MRV_FULL_DISK
fi

run_started=$(date +%s)
stage_name=""
stage_started=0
took() {
  local s=$(($(date +%s) - $1))
  printf '%dm%02ds' $((s / 60)) $((s % 60))
}
stage() {
  [ -n "$stage_name" ] && echo "   ($stage_name: $(took "$stage_started"))"
  stage_name=$1
  stage_started=$(date +%s)
  echo "== $1"
}

stage "build and unit tests"
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMRV_WERROR=ON >/dev/null
cmake --build build/test -j "$jobs"
ctest --test-dir build/test --output-on-failure -j "$jobs" | tee -a "$log"

if [ "$(id -u)" -eq 0 ]; then
  stage "tests that root would skip, as an unprivileged user"
  scripts/unprivileged-tests.sh build/test | tee -a "$log"
fi

stage "format core under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMRV_GUI=OFF -DMRV_SANITIZE=ON -DMRV_WERROR=ON >/dev/null
cmake --build build/asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build/asan --output-on-failure -j "$jobs" | tee -a "$log"

stage "Windows programs, tested under Wine"
scripts/windows-test.sh | tee -a "$log"

stage "packages: the Debian package and the Windows zips, built, unpacked and checked"
scripts/package-test.sh

stage "fuzzers"
CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMRV_GUI=OFF -DMRV_TESTS=OFF -DMRV_FUZZ=ON >/dev/null
cmake --build build/fuzz -j "$jobs"
for f in build/fuzz/fuzz/fuzz_*; do
  [ -x "$f" ] || continue
  echo "-- $(basename "$f")"
  corpus="build/fuzz/corpus/$(basename "$f")"
  mkdir -p "$corpus"
  "$f" -max_total_time="${MRV_FUZZ_SECONDS:-20}" -print_final_stats=0 "$corpus" fuzz/seeds/ 2>&1 | tail -n 2
done
stage_name_done=$stage_name
echo "   ($stage_name_done: $(took "$stage_started"))"
echo "   (everything: $(took "$run_started"))"

# What could not be run here, then one closing line for every CTest run:
# "N passed, N failed".
sort -u "$MRV_NOT_RUN"
total=$(($(sed -n 's/.*tests failed out of \([0-9]*\).*/\1/p' "$log" | paste -sd+)))
failed=$(($(sed -n 's/.*, \([0-9]*\) tests failed out of.*/\1/p' "$log" | paste -sd+)))
echo "$((total - failed)) passed, $failed failed"
