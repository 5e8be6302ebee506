#!/usr/bin/env bash
# Runs the tests that skip themselves under root (read-only files and folders
# do not bind root) as an unprivileged user, so that a run as root (CI) runs
# them too. The user is mrvtest, made here when the machine has none. Each of
# them must run and pass, not skip. Prints a CTest-style summary line for the
# test command's count. Needs root; the argument is the Linux test build.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build/test}"
user=mrvtest

# Suite program, then the tests of it that root skips.
suites=(
  "tests/core/core_tests" "BothChanges/RegistryRefusal.ReadOnlyFile/*"
  "tests/dialogs/dialog_tests" "LinkMakerTest.AFailedWriteLeavesTheEarlierFileWhole:RegistryEditing.AReadOnlyRegistryIsNotChanged"
)

if ! id -u "$user" >/dev/null 2>&1; then
  useradd --system --user-group --no-create-home --shell /usr/sbin/nologin "$user"
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
chown "$user:" "$scratch"
chmod 700 "$scratch"

passed=0
failed=0
for ((i = 0; i < ${#suites[@]}; i += 2)); do
  program="$build/${suites[i]}"
  filter="${suites[i + 1]}"
  [ -x "$program" ] || { echo "missing $program" >&2; failed=$((failed + 1)); continue; }
  as_user=(runuser -u "$user" -- env HOME="$scratch" TMPDIR="$scratch" XDG_RUNTIME_DIR="$scratch" QT_QPA_PLATFORM=offscreen)
  expected=$("${as_user[@]}" "$program" --gtest_list_tests --gtest_filter="$filter" 2>/dev/null | grep -c '^  ' || true)
  status=0
  output=$("${as_user[@]}" "$program" --gtest_brief=1 --gtest_filter="$filter" 2>&1) || status=$?
  ran=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\..*/\1/p' <<<"$output")
  if [ "$status" -eq 0 ] && [ "${ran:-0}" -eq "$expected" ] && [ "$expected" -gt 0 ] && ! grep -q '^\[  SKIPPED \]' <<<"$output"; then
    echo "as $user: $(basename "$program") $filter: $ran of $expected passed"
    passed=$((passed + ran))
  else
    echo "$output"
    echo "as $user: $(basename "$program") $filter: FAILED (status $status, ${ran:-0} of $expected passed, none may skip)"
    failed=$((failed + ${expected:-1}))
  fi
done
total=$((passed + failed))
echo "$((total == 0 ? 0 : 100 * passed / total))% tests passed, $failed tests failed out of $total"
[ "$failed" -eq 0 ]
