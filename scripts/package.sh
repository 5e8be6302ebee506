#!/usr/bin/env bash
# Builds the packages into build/packages/ and prints their paths: the Debian
# package of mrvmaker and mrvtool, and a zip of the Windows programs for 64-bit
# and 32-bit Windows. Release builds, each in a tree of its own under build/
# (pkg-linux, pkg-win-x86_64, pkg-win-i686) that later runs build again only
# what changed.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh package
jobs=$(nproc)
out="$PWD/build/packages"
rm -rf "$out"
mkdir -p "$out"

# Each tree's package is made in its own folder and copied from there: CPack
# keeps its staging files beside the packages it writes.
package() {
  local tree=$1 generator=$2 ext=$3
  rm -rf "$tree/cpack"
  cpack --config "$tree/CPackConfig.cmake" -G "$generator" -B "$PWD/$tree/cpack" >/dev/null
  cp "$tree"/cpack/*."$ext" "$out"/
}

echo "-- Debian package"
# Built with the compiler and linker flags of Debian's own packages (hardening:
# stack protector, fortified calls, read-only relocations, immediate binding).
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S . -B build/pkg-linux -G Ninja -DCMAKE_BUILD_TYPE=Release -DMRV_TESTS=OFF \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build build/pkg-linux -j "$jobs"
package build/pkg-linux DEB deb

for arch in x86_64 i686; do
  echo "-- Windows $arch zip"
  tree="build/pkg-win-$arch"
  cmake --no-warn-unused-cli -S . -B "$tree" -G Ninja -DCMAKE_TOOLCHAIN_FILE="cmake/windows-$arch.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DMRV_TESTS=OFF >/dev/null
  cmake --build "$tree" -j "$jobs"
  package "$tree" ZIP zip
done

echo "The packages:"
ls -1 "$out"/*
