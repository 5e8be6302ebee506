# Sourced by the scripts that run the Windows programs under Wine: the prefix
# in build/, no installer prompts, the Korean dialog font and the system's UI
# fonts mapped to an installed Korean font (without that every Korean
# character is an empty box), and a display (Xvfb) when there is none.
export WINEPREFIX="${WINEPREFIX:-$PWD/build/wine}"
export WINEDEBUG=-all
# No Mono or Gecko installer prompts when the prefix is made.
export WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX"

if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 70 99); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1920x1200x24 -nolisten tcp >/dev/null 2>&1 &
    mrv_xvfb_pid=$!
    export DISPLAY=":$n"
    # Ends with the script that sourced this, after whatever that script ends.
    mrv_previous_exit=$(trap -p EXIT | sed -e "s/^trap -- '//" -e "s/' EXIT\$//")
    mrv_wine_exit() {
      eval "$mrv_previous_exit"
      wineserver -k 2>/dev/null || true
      kill "$mrv_xvfb_pid" 2>/dev/null || true
    }
    trap mrv_wine_exit EXIT
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
    break
  done
fi

wineboot --init >/dev/null 2>&1 || true

# Names starting with a dot are ordinary names on Windows; Wine hides them unless told.
wine reg add 'HKCU\Software\Wine' /v ShowDotFiles /d Y /f >/dev/null 2>&1 || true

# What a Windows user's screen is like: the font Windows puts in for 굴림, the
# DPI (96 = 100 %, 144 = 150 %) and the screen's size, on a desktop of Wine's
# own that draws the windows' frames, captions and taskbar as Windows does,
# where Xvfb has no window manager to do it. 굴림 is the dialogs' font; Windows
# without it maps it to another Korean font, as Wine does with these
# replacements (the system's UI fonts too). Takes effect for the programs
# started afterwards.
#   mrv_wine_screen FONT DPI WIDTHxHEIGHT
mrv_wine_screen() {
  local font=$1 dpi=$2 size=$3 face
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1 || true
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$size" /f >/dev/null 2>&1 || true
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1 || true
  for face in "굴림" "Gulim" "굴림체" "GulimChe" "돋움" "Dotum" "Malgun Gothic" "맑은 고딕" \
              "MS Shell Dlg" "MS Shell Dlg 2" "Tahoma" "Microsoft Sans Serif" "Segoe UI"; do
    LC_ALL=C.UTF-8 wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d "$font" /f >/dev/null 2>&1 || true
  done
  # The desktop and the fonts are read when Wine's server starts.
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
}

# By default Baekmuk Gulim, a 굴림 design with the same height at 9 points,
# at 100 % on a 1280x1024 screen.
mrv_font="${MRV_WINE_FONT:-Baekmuk Gulim}"
mrv_wine_screen "$mrv_font" 96 1280x1024

# True when Wine here runs programs for arch (x86_64 or i686): a tiny program
# of that architecture, built once into build/wine-probe/, must print its line.
# Wine without its 32-bit runtime starts no 32-bit program, prints nothing and
# yet exits 0, so the exit status alone tells nothing.
mrv_wine_runs() {
  local arch=$1 dir="$PWD/build/wine-probe"
  local exe="$dir/probe-$arch.exe"
  mkdir -p "$dir"
  if [ ! -s "$exe" ]; then
    printf '#include <stdio.h>\nint main(void) { puts("mrv wine probe"); return 0; }\n' >"$dir/probe.c"
    "$arch-w64-mingw32-gcc-posix" -o "$exe" "$dir/probe.c" || return 1
  fi
  [ "$(wine "$exe" 2>/dev/null | tr -d '\r')" = "mrv wine probe" ]
}

# Notes a part of the test run that cannot run here, with the reason.
mrv_not_run() {
  echo "not run: $*"
  if [ -n "${MRV_NOT_RUN:-}" ]; then echo "not run: $*" >>"$MRV_NOT_RUN"; fi
}
