#!/usr/bin/env bash
# Compiles every toolkit-neutral header beside the Windows headers, once with
# <windows.h> before them and once after them, as the native backend includes
# them: a name of ours that Windows defines as a macro (IDOK, MessageBox, ...)
# or declares otherwise (HWND, COLORREF, ...) fails here, on a Linux machine,
# before anyone builds the backend. Prints one line per failing header (and
# include order and compiler) and exits 1 if there was one, 0 otherwise.
#
# Neutral headers: those of platform/ (not platform/qt/ or platform/win32/),
# res/, and the program's folders, whose dialogs include them. A new header in
# these folders is covered without a change here.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
shopt -s nullglob
headers=(platform/*.h res/*.h dialogs/*.h app/*.h registry/*.h link/*.h cache/*.h text/*.h)

# MinGW-w64 as the Windows builds use it; both word sizes where installed, since
# a type of ours can match Windows' on one and not on the other.
compilers=()
for triplet in x86_64-w64-mingw32 i686-w64-mingw32; do
  for name in "$triplet-g++-posix" "$triplet-g++"; do
    if command -v "$name" >/dev/null; then
      compilers+=("$name")
      break
    fi
  done
done
if [ "${#compilers[@]}" -eq 0 ] || [[ "${compilers[0]}" != x86_64-* ]]; then
  echo "windows-headers: x86_64-w64-mingw32-g++ not found (Debian: apt-get install g++-mingw-w64-x86-64-posix)" >&2
  exit 2
fi

# The definitions of the project's Windows builds, without WIN32_LEAN_AND_MEAN:
# the full headers define more names, and so do the backend's extra headers.
flags=(-std=c++20 -fsyntax-only -fmax-errors=0 -I"$root" -Wall -Wextra -Wpedantic -Werror
       -DUNICODE -D_UNICODE -DNOMINMAX -D_WIN32_WINNT=0x0601 -DWINVER=0x0601)
windows_includes='#include <windows.h>
#include <windowsx.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>'

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One unit per compiler and include order holds every header: a macro reaches
# all that follow it, and a clashing declaration clashes wherever it stands.
# Each unit compiles in the background; the headers at fault are read from the
# diagnostics afterwards.
units=()
for compiler in "${compilers[@]}"; do
  for order in before after; do
    unit="$work/${compiler%%-w64*}-$order.cpp"
    {
      if [ "$order" = before ]; then printf '%s\n' "$windows_includes"; fi
      printf '#include "%s"\n' "${headers[@]}"
      if [ "$order" = after ]; then printf '%s\n' "$windows_includes"; fi
    } >"$unit"
    ( "$compiler" "${flags[@]}" "$unit" >"$unit.log" 2>&1 && touch "$unit.ok" ) &
    units+=("$unit")
  done
done
wait

# An error in one of our files names that file. An error inside a Windows
# header (a declaration of ours came first) names the file of ours that the
# notes after it point at. A failure that names none of ours is reported whole.
failed=0
for unit in "${units[@]}"; do
  [ -e "$unit.ok" ] && continue
  failed=1
  name=$(basename "$unit" .cpp)
  what="<windows.h> ${name##*-}, ${name%-*}"
  awk -v root="$root/" -v what="$what" '
    function ours(file) { return index(file, root) == 1 }
    # where: "file:line:col" of ours; the first failure of each file is reported.
    function report(where, message,    file) {
      where = substr(where, length(root) + 1)
      file = substr(where, 1, index(where, ":") - 1)
      if (!(file in seen)) { seen[file] = 1; printf "windows-headers: FAIL %s (%s): %s: %s\n", file, what, where, message; n++ }
    }
    match($0, /^[^ :]+:[0-9]+:[0-9]+: (fatal )?error: /) {
      where = substr($0, 1, RLENGTH - length(" error: ") - 1)
      sub(/: fatal$/, "", where)
      message = substr($0, RLENGTH + 1)
      if (ours(where)) { report(where, message); pending = "" } else pending = message
      next
    }
    pending != "" && match($0, /^[^ :]+:[0-9]+:[0-9]+: note: /) {
      where = substr($0, 1, RLENGTH - length(" note: ") - 1)
      if (ours(where)) { report(where, pending); pending = "" }
    }
    END {
      if (n == 0) {
        while ((getline line < FILENAME) > 0) if (line ~ /error/) { first = line; break }
        printf "windows-headers: FAIL all headers (%s): %s\n", what, first
      }
    }' "$unit.log"
done
exit "$failed"
