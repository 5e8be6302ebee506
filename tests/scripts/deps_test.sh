#!/usr/bin/env bash
# scripts/deps.sh against a stand-in package archive on a bad day: apt-get,
# dpkg-query, dpkg and sudo on the PATH are scripts that keep a list of
# installed packages in a folder of their own. `apt-get update` fails as it
# does when an index is mid-sync, every :i386 package is refused, and a package
# named in UNAVAILABLE cannot be installed at all. Nothing is really installed.
set -euo pipefail
deps="$(cd "$(dirname "$0")/../.." && pwd)/scripts/deps.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
bin="$work/bin"
mkdir -p "$bin"

cat >"$bin/apt-get" <<'EOF'
#!/usr/bin/env bash
echo "apt-get $*" >>"$FAKE/calls"
case "$1" in
  update)
    echo "E: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?" >&2
    echo "E: Some index files failed to download. They have been ignored, or old ones used instead." >&2
    exit 100 ;;
  install)
    shift
    packages=()
    for p in "$@"; do
      case "$p" in -*) continue ;; esac
      if [[ "$p" == *:i386 ]] || grep -qx "$p" "$FAKE/unavailable"; then
        echo "E: Unable to correct problems, you have held broken packages. ($p)" >&2
        exit 100
      fi
      packages+=("$p")
    done
    printf '%s\n' "${packages[@]}" >>"$FAKE/installed" ;;
esac
EOF
cat >"$bin/dpkg-query" <<'EOF'
#!/usr/bin/env bash
package="${!#}"
grep -qx "$package" "$FAKE/installed" || { echo "dpkg-query: no packages found matching $package" >&2; exit 1; }
echo "install ok installed"
EOF
cat >"$bin/dpkg" <<'EOF'
#!/usr/bin/env bash
case "$1" in
  --print-foreign-architectures) cat "$FAKE/architectures" ;;
  --add-architecture) echo "$2" >>"$FAKE/architectures" ;;
esac
EOF
printf '#!/usr/bin/env bash\nexec "$@"\n' >"$bin/sudo"
chmod +x "$bin"/*

failures=0
check() {
  if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1"; failures=$((failures + 1)); fi
}

# A fresh machine: nothing installed. Runs deps.sh for a purpose; its output
# and status are left in $out and $status.
run() {
  export FAKE="$work/state-$1"
  rm -rf "$FAKE"
  mkdir -p "$FAKE"
  : >"$FAKE/installed"
  : >"$FAKE/architectures"
  printf '%s\n' "${UNAVAILABLE:-}" >"$FAKE/unavailable"
  status=0
  out=$(PATH="$bin:$PATH" bash "$deps" "$1" 2>&1) || status=$?
}
has() { grep -qx "$1" "$FAKE/installed"; }

run program
check "program: installs despite the failed update" '[ "$status" -eq 0 ]'
check "program: says in one line that the update was incomplete" \
  '[ "$(grep -c "update was incomplete" <<<"$out")" -eq 1 ]'
check "program: Qt, the compiler and the Korean font" 'has qt6-base-dev && has g++ && has ninja-build && has fonts-baekmuk'
check "program: nothing for Windows, tests or packages" '! has wine && ! has g++-mingw-w64-x86-64-posix && ! has libgtest-dev && ! has lintian'
check "program: no i386 architecture added" '[ ! -s "$FAKE/architectures" ]'
check "program: apt-get is not asked for what is installed" \
  'PATH="$bin:$PATH" bash "$deps" program >/dev/null && [ "$(grep -c "apt-get install" "$FAKE/calls")" -eq 1 ]'

run test
check "test: passes without the 32-bit Wine runtime" '[ "$status" -eq 0 ]'
check "test: says that the optional package cannot be had" 'grep -q "Optional wine32:i386 cannot be installed" <<<"$out"'
check "test: everything the tests need" 'has wine && has wine64 && has xvfb && has libgtest-dev && has g++-mingw-w64-i686-posix && has lintian && has qt6-base-dev'

run package
check "package: the Windows cross compilers and dpkg-dev, no Wine or test tools" \
  '[ "$status" -eq 0 ] && has g++-mingw-w64-x86-64-posix && has dpkg-dev && ! has wine && ! has libgtest-dev'

UNAVAILABLE=qt6-base-dev run program
check "a needed package that cannot be had ends it, named" \
  '[ "$status" -ne 0 ] && grep -q "cannot install qt6-base-dev" <<<"$out"'
check "the other packages still come" 'has g++ && has fonts-baekmuk'

run nonsense
check "an unknown purpose is refused" '[ "$status" -eq 2 ]'

[ "$failures" -eq 0 ]
