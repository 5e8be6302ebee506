#!/usr/bin/env bash
# Installs the Debian 12 packages one purpose needs, when they are missing:
#
#   scripts/deps.sh program   building and running mrvmaker and mrvtool
#   scripts/deps.sh test      building and running every test (program's too)
#   scripts/deps.sh package   building the Debian package and the Windows zips
#   scripts/deps.sh bench     building the benchmarks in bench/
#
# The package archive has bad days: an index that fails to download (a mirror
# mid-sync) makes `apt-get update` fail although the other lists are fine, and
# the i386 side of the archive may be out of step with the 64-bit one. So a
# failed update is told in one line and the install goes on with the lists
# there are; only a package the purpose needs and cannot get ends the script,
# naming it. The 32-bit Wine runtime is optional: without it the tests still
# build the 32-bit Windows programs and check their imports, and say that they
# did not run them.
set -euo pipefail

purpose="${1:-}"

program=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-translations-l10n
  fonts-baekmuk fontconfig
)
# The tests: GoogleTest, the fuzzers (clang), the Windows cross build and Wine
# with a virtual display, the Korean fonts the layouts are measured with, and
# what the package checks use (the test command builds and checks the packages).
test_only=(
  libgtest-dev libgmock-dev googletest
  clang libclang-rt-14-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  wine wine64 xvfb
  fonts-nanum fonts-unfonts-core fonts-noto-cjk
  dpkg-dev file lintian desktop-file-utils appstream zip unzip bash-completion
)
package_only=(
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  dpkg-dev file zip
)
bench_only=(libbenchmark-dev)
# Wanted but not needed: what runs 32-bit Windows programs under Wine.
test_optional=(wine32:i386)

required=()
optional=()
case "$purpose" in
  program) required=("${program[@]}") ;;
  test) required=("${program[@]}" "${test_only[@]}"); optional=("${test_optional[@]}") ;;
  package) required=("${program[@]}" "${package_only[@]}") ;;
  bench) required=("${program[@]}" "${bench_only[@]}") ;;
  *)
    echo "usage: scripts/deps.sh program|test|package|bench" >&2
    exit 2
    ;;
esac

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

missing_of() {
  local p
  for p in "$@"; do installed "$p" || echo "$p"; done
}

mapfile -t missing < <(missing_of "${required[@]}")
mapfile -t missing_optional < <(missing_of "${optional[@]}")
[ ${#missing[@]} -eq 0 ] && [ ${#missing_optional[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive

# The optional 32-bit packages come from the i386 side of the archive.
if [ ${#missing_optional[@]} -gt 0 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386 || true
fi

echo "Installing for $purpose: ${missing[*]} ${missing_optional[*]}"
update_log=$(mktemp)
trap 'rm -f "$update_log"' EXIT
if ! $sudo apt-get update -qq >"$update_log" 2>&1; then
  failed_lists=$(grep -c '^E: Failed to fetch' "$update_log" || true)
  if [ "$failed_lists" -gt 0 ]; then
    echo "apt-get update was incomplete ($failed_lists package lists could not be fetched); going on with the lists there are."
  else
    echo "apt-get update failed ($(grep -m1 '^E:' "$update_log" || echo "no reason given")); going on with the lists there are."
  fi
fi

install() {
  $sudo apt-get install -y -qq --no-install-recommends "$@"
}

if [ ${#missing[@]} -gt 0 ] && ! install "${missing[@]}"; then
  # Which of them cannot be had: one at a time, so that the others still come.
  failed=()
  for p in "${missing[@]}"; do
    installed "$p" && continue
    install "$p" || failed+=("$p")
  done
  if [ ${#failed[@]} -gt 0 ]; then
    echo "scripts/deps.sh $purpose: cannot install ${failed[*]} (see apt-get's message above); it is needed for $purpose." >&2
    exit 1
  fi
fi

for p in "${missing_optional[@]}"; do
  if ! install "$p" >/dev/null 2>&1; then
    echo "Optional $p cannot be installed here; going on without it."
  fi
done
exit 0
