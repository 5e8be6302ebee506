#!/usr/bin/env bash
# The backend contract stays written down: every name that a windowing
# backend's libraries define for the rest of the program (not its own
# namespace, not the neutral framework compiled into it) is named in
# platform/Backend.h. Arguments: the header, then the backend's libraries,
# then "--", then the neutral framework's objects.
set -euo pipefail
header=$1
shift
libraries=()
while [ "$1" != "--" ]; do libraries+=("$1"); shift; done
shift
# CMake hands a list of objects over as one argument, its items joined by ';'.
neutral=()
for arg in "$@"; do
  IFS=';' read -ra parts <<<"$arg"
  neutral+=("${parts[@]}")
done

defined() {
  nm -C --defined-only "$@" 2>/dev/null | sed -n 's/^[0-9a-f]* T //p' | sed 's/(.*//; s/\[abi:cxx11\]//g' | sort -u
}
listed=$(sed -n 's#^//##p' "$header")
missing=0
while IFS= read -r name; do
  case "$name" in
    mrv::platform::qt::* | mrv::platform::win32::* | "non-virtual thunk to "* | qt_* | QtPrivate* | Q[A-Z]* | *anonymous* | *::qt_* | *staticMetaObject* | *metaObject*) continue ;;
  esac
  # The list names members of the framework's namespaces without the namespace.
  short=${name#mrv::platform::testing::}
  short=${short#mrv::platform::backend::}
  short=${short#mrv::platform::}
  if ! grep -qF -- "$short" <<<"$listed"; then
    echo "platform/Backend.h does not name $name, which the backend defines"
    missing=$((missing + 1))
  fi
done < <(comm -23 <(defined "${libraries[@]}") <(defined "${neutral[@]}"))
[ "$missing" -eq 0 ] || exit 1
echo "platform/Backend.h names every name the backend defines"
