#!/usr/bin/env bash
# Builds the packages (scripts/package.sh) and checks them as a user gets
# them: the Debian package unpacked, its programs run (the window rendered
# without a display), its manual pages and completion held against mrvtool's
# own help, lintian, desktop-file-validate and appstreamcli; each Windows zip
# unpacked and its mrvtool.exe run under Wine. Stops at the first failure.
# The unpacked files stay in build/pkg-test/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/package.sh
packages="$PWD/build/packages"
scratch="$PWD/build/pkg-test"
rm -rf "$scratch"
mkdir -p "$scratch"

window_pid=""
trap '[ -n "$window_pid" ] && kill "$window_pid" 2>/dev/null; true' EXIT

fail() {
  echo "FAILED: $*" >&2
  exit 1
}

version=$(dpkg-parsechangelog -l packaging/changelog -S Version)
project_version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/pkg-linux/CMakeCache.txt)
[ "$version" = "$project_version" ] ||
  fail "packaging/changelog's newest entry is version $version, the project is $project_version: add an entry"

echo "-- Debian package"
deb=$(ls "$packages"/*.deb)
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "$deb is not version $version"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' ||
  fail "$deb names no Qt library among its dependencies: dpkg-shlibdeps did not run"
root="$scratch/root"
dpkg-deb -x "$deb" "$root"
for f in usr/bin/mrvtool usr/bin/mrvmaker \
  usr/share/applications/com.morvanta.mrvmaker.desktop usr/share/metainfo/com.morvanta.mrvmaker.metainfo.xml \
  usr/share/icons/hicolor/{16x16,32x32,48x48,64x64,128x128,256x256}/apps/com.morvanta.mrvmaker.png \
  usr/share/icons/hicolor/scalable/apps/com.morvanta.mrvmaker.svg \
  usr/share/man/{,ko/}man1/{mrvtool,mrvmaker}.1.gz usr/share/bash-completion/completions/mrvtool \
  usr/share/doc/mrvmaker/copyright usr/share/doc/mrvmaker/changelog.gz; do
  [ -s "$root/$f" ] || fail "$deb lacks /$f"
done
if ldd "$root"/usr/bin/* | grep 'not found'; then fail "the programs need libraries that are not installed"; fi

echo "-- its mrvtool"
mrvtool="$root/usr/bin/mrvtool"
# Whole outputs first: a reader that stops early would fail the writer.
help=$("$mrvtool" --help) && grep -q '^사용법: mrvtool' <<<"$help" || fail "mrvtool --help"
"$mrvtool" make-link "$scratch" --title "봄날" --kind mod --number 3 --location 4 >/dev/null
shown=$("$mrvtool" show-link "$scratch/MOD_Dat00003") && grep -qx '제목: 봄날' <<<"$shown" ||
  fail "mrvtool show-link of the link it made"

echo "-- its window, rendered without a display"
# Qt's minimal platform saves each picture it shows as outputNNNN.png in the
# current folder: the first is the main window, drawn by the installed program.
mkdir -p "$scratch/window" "$scratch/home" "$scratch/runtime"
chmod 700 "$scratch/runtime"
(cd "$scratch/window" &&
  HOME="$scratch/home" XDG_RUNTIME_DIR="$scratch/runtime" QT_QPA_PLATFORM=minimal:fontconfig QT_DEBUG_BACKINGSTORE=1 \
    exec "$root/usr/bin/mrvmaker" >"$scratch/window.log" 2>&1) &
window_pid=$!
for _ in $(seq 1 100); do
  [ -s "$scratch/window/output0000.png" ] && break
  kill -0 "$window_pid" 2>/dev/null || { cat "$scratch/window.log" >&2; fail "mrvmaker ended before it showed its window"; }
  sleep 0.2
done
sleep 1   # the picture written whole; the program still running
kill -0 "$window_pid" 2>/dev/null || { cat "$scratch/window.log" >&2; fail "mrvmaker ended after showing its window"; }
kill "$window_pid"
wait "$window_pid" 2>/dev/null || true
window_pid=""
png="$scratch/window/output0000.png"
[ -s "$png" ] || fail "mrvmaker showed no window within 20 seconds"
read -r width height < <(od -An -tu1 -j16 -N8 "$png" | awk '{print $3 * 256 + $4, $7 * 256 + $8}')
[ "$width" -ge 400 ] && [ "$height" -ge 300 ] || fail "the main window is ${width}x${height}, too small"
echo "The main window, ${width}x${height}: $png"

echo "-- its manual pages and completion against mrvtool's help"
commands=$("$mrvtool" --help | sed -n 's/^  \([a-z][a-z-]*\)  .*/\1/p')
[ -n "$commands" ] || fail "no commands in mrvtool --help"
set +u   # bash_completion reads unset variables
source /usr/share/bash-completion/bash_completion
source "$root/usr/share/bash-completion/completions/mrvtool"
completions() {
  COMP_WORDS=("$@")
  COMP_CWORD=$(($# - 1))
  COMP_LINE="$*"
  COMP_POINT=${#COMP_LINE}
  COMPREPLY=()
  _mrvtool mrvtool "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  printf '%s\n' "${COMPREPLY[@]}" | sort
}
[ "$(completions mrvtool '')" = "$(printf '%s\n' $commands --help | sort)" ] ||
  fail "the completion's commands are not those of mrvtool --help"
for command in $commands; do
  options=$("$mrvtool" "$command" --help | sed -n 's/^  \(--[a-z-]*\).*/\1/p' | sort)
  [ "$(completions mrvtool "$command" --)" = "$options" ] ||
    fail "the completion's options of $command are not those of mrvtool $command --help"
  for page in "$root"/usr/share/man/{,ko/}man1/mrvtool.1.gz; do
    for word in "$command" $options; do
      zcat "$page" | grep -qF -- "${word//-/\\-}" || fail "${page#"$root"} does not name $command's ${word}"
    done
  done
done
set -u
for page in "$root"/usr/share/man/{,ko/}man1/*.1.gz; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "${page#"$root"}: $warnings"
done

echo "-- lintian, desktop-file-validate, appstreamcli"
status=0
report=$(lintian --fail-on error "$deb" 2>&1) || status=$?
grep -v '^running with root privileges' <<<"$report" || true
[ "$status" -eq 0 ] || fail "lintian reports errors"
desktop-file-validate "$root"/usr/share/applications/*.desktop
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml

. scripts/wine-env.sh
# Windows matches DLL names without case.
system_dlls='^(KERNEL32|msvcrt|USER32|GDI32|ADVAPI32|SHELL32|COMDLG32|COMCTL32|OLE32|UxTheme|IMM32|WINMM|SHLWAPI)\.dll$'
for arch in x86_64 i686; do
  echo "-- Windows $arch zip"
  zip="$packages/mrvmaker-$version-windows-$arch.zip"
  [ -f "$zip" ] || fail "no $zip"
  unzip -q "$zip" -d "$scratch/$arch"
  folder="$scratch/$arch/mrvmaker-$version-windows-$arch"
  expected="README.txt mrvmaker.ico mrvtool.exe"
  if [ -f "build/pkg-win-$arch/app/mrvmaker.exe" ]; then expected="$expected mrvmaker.exe"; fi
  [ "$(ls "$folder" | sort | xargs)" = "$(printf '%s\n' $expected | sort | xargs)" ] ||
    fail "$zip holds $(ls "$folder" | xargs), not $expected"
  for exe in "$folder"/*.exe; do
    ! "$arch-w64-mingw32-objdump" -h "$exe" | grep -q '\.debug_' || fail "$exe is not stripped"
    strange=$("$arch-w64-mingw32-objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p' | grep -Eiv "$system_dlls" || true)
    [ -z "$strange" ] || fail "$exe needs DLLs that Windows does not have: $strange"
    [ "$(strings -el -n 1 "$exe" | grep -A1 -x ProductVersion | tail -n 1)" = "$version" ] ||
      fail "$exe's version resource does not say $version"
    # Its numbers too: the file version after the signature of VS_FIXEDFILEINFO.
    at=$(LC_ALL=C grep -obUaP '\xbd\x04\xef\xfe' "$exe" | head -n 1 | cut -d: -f1)
    numbers=$(od -An -tu2 -j $((at + 8)) -N 8 "$exe" | awk '{print $2 "." $1 "." $4 "." $3}')
    [ "$numbers" = "$(cut -d. -f1-4 <<<"$version.0.0.0")" ] || fail "$exe's version resource says $numbers"
  done
  [ "$(head -c 3 "$folder/README.txt" | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "README.txt starts without a byte order mark"
  [ "$(grep -c $'\r$' "$folder/README.txt")" = "$(wc -l <"$folder/README.txt")" ] ||
    fail "README.txt has lines that do not end in CR LF"
  if ! mrv_wine_runs "$arch"; then
    [ "$arch" = i686 ] || fail "Wine runs no $arch Windows program here"
    mrv_not_run "the programs of the $arch zip under Wine (the 32-bit Wine runtime cannot be installed here; the zip was checked)"
    continue
  fi
  help=$(wine "$folder/mrvtool.exe" --help) && grep -q '^사용법: mrvtool' <<<"$help" || fail "mrvtool.exe --help under Wine"
  if [ -f "$folder/mrvmaker.exe" ]; then
    # The window program from the unpacked folder alone: it starts and stays up until closed.
    wine "$folder/mrvmaker.exe" >/dev/null 2>&1 &
    maker=$!
    sleep 5
    kill -0 "$maker" 2>/dev/null || fail "mrvmaker.exe from the $arch zip did not stay up under Wine"
    wineserver -k 2>/dev/null || true
    wait "$maker" 2>/dev/null || true
  fi
done

echo "The packages passed every check."
