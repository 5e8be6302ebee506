#!/usr/bin/env bash
# The Windows programs: every neutral header beside <windows.h>, then
# mrvmaker.exe, mrvtool.exe and the format core cross-built for 64-bit and
# 32-bit Windows with MinGW-w64, statically linked, and all their tests (the
# dialogs' on a virtual display) run under Wine; where Wine cannot run 32-bit
# programs, those are built and checked but not run, and the run says so.
# Called by scripts/test.sh,
# which reads the CTest summaries it prints; the Wine prefix lives in build/.
set -euo pipefail
cd "$(dirname "$0")/.."

echo "-- neutral headers beside <windows.h>"
scripts/windows-headers.sh

. scripts/wine-env.sh

# Only the system's own DLLs may sit beside the programs.
system_dlls='^(KERNEL32|msvcrt|USER32|GDI32|ADVAPI32|SHELL32|COMDLG32|COMCTL32|OLE32|UxTheme|IMM32|WINMM|SHLWAPI)\.dll$'

for arch in x86_64 i686; do
  echo "-- Windows $arch"
  build="build/win-$arch"
  cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="cmake/windows-$arch.cmake" -DCMAKE_BUILD_TYPE=Debug \
    -DMRV_WERROR=ON >/dev/null
  cmake --build "$build" -j "$(nproc)"
  for exe in "$build"/cli/mrvtool.exe "$build"/app/mrvmaker.exe; do
    strange=$("$arch-w64-mingw32-objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p' | grep -Eiv "$system_dlls" || true)
    if [ -n "$strange" ]; then
      echo "$exe needs DLLs that Windows does not have: $strange" >&2
      exit 1
    fi
  done
  if mrv_wine_runs "$arch"; then
    ctest --test-dir "$build" --output-on-failure
  elif [ "$arch" = i686 ]; then
    # The one optional part: Wine's 32-bit runtime may not be installable.
    mrv_not_run "32-bit Windows programs under Wine (the 32-bit Wine runtime cannot be installed here; they were built and their imports checked)"
  else
    echo "Wine runs no 64-bit Windows program here" >&2
    exit 1
  fi
done

# Every text of the dialogs fits its control whatever Korean font Windows puts
# in for 굴림 (here a low one, a narrow one and the tallest), at 100 % on a
# 1366x768 screen and at 150 % on a 1920x1080 one; the main window fits the
# screen. Each run starts the dialog tests under the fit's rules once more, with
# a picture of each window in build/fit-shots/.
echo "-- every text fits: the dialogs under other fonts for 굴림, at 100 % and 150 %"
fit_started=$(date +%s)
fit_tests='WindowsFit.*:AboutAndPicturesTest.ThePointsLie*:AboutAndPicturesTest.APress*:CacheSearchTest.RenamePopup*:RowListTest.*'
for run in "NanumGothic:96:1366x768" "UnDotum:96:1366x768" "Noto Sans CJK KR:96:1366x768" \
           "Baekmuk Gulim:144:1920x1080" "UnDotum:144:1920x1080" "Noto Sans CJK KR:144:1920x1080"; do
  IFS=: read -r font dpi size <<<"$run"
  echo "--- $font, $dpi DPI, $size"
  mrv_wine_screen "$font" "$dpi" "$size"
  shots="$PWD/build/fit-shots/${font// /-}-$dpi"
  mkdir -p "$shots"
  if ! out=$(MRV_FIT_FONT="$font" MRV_FIT_DPI="$dpi" MRV_FIT_SHOTS="$shots" \
      cmake -DPROGRAM="$PWD/build/win-x86_64/tests/dialogs/dialog_tests.exe" -DEMULATOR="$(command -v wine)" \
            "-DARGS=--gtest_brief=1;--gtest_filter=$fit_tests" -P cmake/RunGoogleTest.cmake 2>&1); then
    echo "$out"
    echo "the dialogs do not fit in $font at $dpi DPI" >&2
    exit 1
  fi
  grep -m1 '^\[ fit' <<<"$out" || true
  grep 'tests ran' <<<"$out" | tail -n 1
done
mrv_wine_screen "$mrv_font" 96 1280x1024
echo "   (the fit runs: $(($(date +%s) - fit_started)) s)"

echo "-- the same changes through mrvtool and through mrvtool.exe under Wine"
parity=$(MRV_WINDOWS_MRVTOOL="$PWD/build/win-x86_64/cli/mrvtool.exe" MRV_WINE="$(command -v wine)" \
  ctest --test-dir build/test --output-on-failure -R WindowsParity) || { echo "$parity"; exit 1; }
echo "$parity"
# A skipped comparison would count as passed.
if grep -q '(Skipped)\|No tests were found' <<<"$parity"; then
  echo "the comparison with mrvtool.exe did not run" >&2
  exit 1
fi
