#!/usr/bin/env bash
# Builds mrvmaker and starts it. Without a display it says so, renders the main
# window offscreen to a PNG and prints the PNG's path.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh program
cmake -S . -B build/app -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMRV_TESTS=OFF >/dev/null
cmake --build build/app -j "$(nproc)"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec build/app/app/mrvmaker
fi
png="$PWD/build/app/mrvmaker-main-window.png"
echo "No display found: rendering the main window offscreen instead."
# Qt wants a private runtime folder; a headless root session often has none.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  export XDG_RUNTIME_DIR="$PWD/build/app/runtime"
  mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
fi
QT_QPA_PLATFORM=offscreen build/app/app/mrvmaker-snapshot "$png"
echo "The main window was rendered to: $png"
