#!/usr/bin/env bash
# Runs the cross-compiled tests under Wine in a prefix of their own; fails on any failure.
set -euo pipefail
build=$(cd "${1:-build-windows}" && pwd)
wine=${WINE:-/usr/lib/wine/wine64}
[ -x "$wine" ] || wine=$(command -v wine64 || command -v wine)
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX"
"$wine" "$build/kitrova_windows_tests.exe" --gtest_color=no "${@:2}" > "$build/wine-tests.log" 2>&1 &&
  status=0 || status=$?
grep -E '^\[  (FAILED|PASSED|SKIPPED) |^\[==========\] [0-9]+ tests' "$build/wine-tests.log" || true
if [ "$status" -ne 0 ]; then
  tail -n 80 "$build/wine-tests.log"
  echo "Windows tests failed (exit $status)"
fi
exit "$status"
