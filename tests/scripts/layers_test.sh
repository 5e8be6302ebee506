#!/usr/bin/env bash
# Keeps the folders in their layers, over the files git tracks:
#   - a folder includes only from itself and from the layers below it, and the
#     formats (registry, link, cache) and the two front ends (app, cli) not
#     from each other;
#   - Qt only under platform/qt/, the Windows headers only under
#     platform/win32/, core/windows/ and tests/support/windows/;
#   - the formats, songs/, text and core's neutral part include nothing but the C++
#     standard library and what they may of the project;
#   - the framework's neutral part includes no backend, core's no system part;
#   - each folder's CMakeLists.txt builds only that folder's files.
# Prints each breach with its file and line; exits 1 when there is one.
set -euo pipefail
cd "$(dirname "$0")/../.."

# Layers, lowest first; folders of one rank are peers that do not see each other.
declare -A rank=(
  [core]=0 [text]=1 [registry]=2 [link]=2 [cache]=2 [songs]=3 [platform]=3 [res]=4 [dialogs]=5 [app]=6 [cli]=6
)

breaches=0
breach() {
  echo "$1"
  breaches=$((breaches + 1))
}

while IFS= read -r file; do
  folder=${file%%/*}
  [ -n "${rank[$folder]:-}" ] || continue
  while IFS=: read -r line text; do
    target=$(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([a-z0-9_]*\)\/.*/\1/p' <<<"$text")
    if [ -n "$target" ]; then
      if [ -z "${rank[$target]:-}" ]; then
        breach "$file:$line: includes from $target/, which is no layer"
      elif [ "$target" != "$folder" ] && [ "${rank[$target]}" -ge "${rank[$folder]}" ]; then
        breach "$file:$line: $folder/ includes from $target/, which is not below it"
      fi
      path=$(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' <<<"$text")
      case "$file" in
        platform/qt/* | platform/win32/*) ;;
        platform/*) [[ "$path" == platform/qt/* || "$path" == platform/win32/* ]] && breach "$file:$line: the framework's neutral part includes a backend ($path)" ;;
      esac
      case "$file" in
        core/posix/* | core/windows/*) ;;
        core/*) [[ "$path" == core/posix/* || "$path" == core/windows/* ]] && breach "$file:$line: core's neutral part includes a system's part ($path)" ;;
      esac
      continue
    fi
    system=$(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*<\([^>]*\)>.*/\1/p' <<<"$text")
    [ -n "$system" ] || continue
    if [[ "$system" == Q* || "$system" == qdrawutil.h ]] && [[ "$file" != platform/qt/* ]]; then
      breach "$file:$line: includes Qt ($system) outside platform/qt/"
    fi
    if [[ "${system,,}" =~ ^(windows|windowsx|commctrl|commdlg|shlobj|shellapi|objbase|uxtheme|imm)\.h$ ]] &&
      [[ "$file" != platform/win32/* && "$file" != core/windows/* ]]; then
      breach "$file:$line: includes a Windows header ($system) outside platform/win32/ and core/windows/"
    fi
    case "$file" in
      core/posix/* | core/windows/*) ;;
      core/* | text/* | registry/* | link/* | cache/* | songs/*)
        [[ "$system" == *.h ]] && breach "$file:$line: $folder/ includes <$system>, which is no part of the C++ standard library"
        ;;
    esac
  done < <(grep -n '^[[:space:]]*#[[:space:]]*include' "$file" || true)
done < <(git ls-files '*.h' '*.cpp' '*.inc')

# Windows headers in the tests: only their system part.
while IFS=: read -r file line text; do
  [[ "$file" == tests/support/windows/* ]] && continue
  breach "$file:$line: includes a Windows header outside tests/support/windows/"
done < <(git ls-files 'tests/*.h' 'tests/*.cpp' | xargs grep -n -i '#[[:space:]]*include[[:space:]]*<\(windows\|windowsx\|commctrl\)\.h>' || true)

# Each folder's CMakeLists.txt builds only its own folder's files.
for folder in "${!rank[@]}"; do
  while IFS= read -r cmake; do
    while IFS=: read -r line text; do
      breach "$cmake:$line: builds a file of another folder: $text"
    done < <(grep -n '\${MRV_ROOT}/[^ )]*\.\(cpp\|c\)\b\|\.\./[^ )]*\.\(cpp\|c\)\b' "$cmake" || true)
  done < <(git ls-files "$folder/CMakeLists.txt" "$folder/*/CMakeLists.txt")
done

if [ "$breaches" -gt 0 ]; then
  echo "$breaches breaches of the layers"
  exit 1
fi
echo "every include and every build rule keeps to its layer"
