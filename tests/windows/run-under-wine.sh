#!/usr/bin/env bash
# Runs the cross-compiled tests under Wine in a prefix of their own; fails on any failure and
# on any skipped test. Root may write read-only files, which would skip the tests of refused
# writes, so as root the tests run as the unprivileged user 65534 with a prefix of its own.
set -euo pipefail
build=$(cd "${1:-build-windows}" && pwd)
wine=${WINE:-/usr/lib/wine/wine64}
[ -x "$wine" ] || wine=$(command -v wine64 || command -v wine)
root=$(cd "$(dirname "$0")/../.." && pwd)
export WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml="

as_user=()
if [ "$(id -u)" -eq 0 ]; then
  user=65534
  setpriv --reuid=$user --regid=$user --clear-groups true ||
    { echo "cannot run as user $user (setpriv)"; exit 1; }
  # A folder the user can reach whatever the build folder's permissions; the prefix is kept
  # between runs (creating one takes a while), one per build folder.
  run=/var/tmp/kitrova-wine-$(printf '%s' "$build" | md5sum | cut -c1-12)
  if [ -e "$run" ] && [ "$(stat -c %u "$run")" != "$user" ]; then rm -rf "$run"; fi
  mkdir -p "$run"
  chown $user:$user "$run"
  as_user=(setpriv --reuid=$user --regid=$user --clear-groups env HOME="$run")
else
  run=$build/wine-run
  mkdir -p "$run"
fi
# The tests find the program's pictures and seed catalog as "assets" in their folder.
rm -rf "$run/assets" "$run/kitrova_windows_tests.exe"
cp -r "$root/assets" "$run/assets"
cp "$build/kitrova_windows_tests.exe" "$run/"
[ -z "${as_user[*]}" ] || chown -R "$user:$user" "$run/assets" "$run/kitrova_windows_tests.exe"
export WINEPREFIX="$run/wineprefix"
log="$build/wine-tests.log"
(cd "$run" && "${as_user[@]}" "$wine" kitrova_windows_tests.exe --gtest_color=no "${@:2}") \
  > "$log" 2>&1 && status=0 || status=$?
grep -E '^\[  (FAILED|PASSED|SKIPPED) |^\[==========\] [0-9]+ tests' "$log" || true
if [ "$status" -ne 0 ]; then
  tail -n 80 "$log"
  echo "Windows tests failed (exit $status)"
  exit "$status"
fi
skipped=$(sed -n 's/^\[  SKIPPED \] \([0-9]*\) tests\{0,1\},.*/\1/p' "$log" | tail -n 1)
if [ "${skipped:-0}" -ne 0 ]; then
  grep -B3 '^\[  SKIPPED \] [A-Za-z]' "$log" | head -n 40
  echo "Windows tests: $skipped skipped; every test must run"
  exit 1
fi
echo "Windows tests: 0 skipped"
