#!/usr/bin/env bash
# Runs a command on a fresh Xvfb display with the openbox window manager, as a desktop does.
# Exits 77 (a skipped test for ctest) when Xvfb or openbox is missing.
#
#   bash tools/with_window_manager.sh [-s WIDTHxHEIGHT] command [args...]
set -euo pipefail
size=1024x768
if [ "${1:-}" = "-s" ]; then size="$2"; shift 2; fi
for tool in xvfb-run openbox; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed" >&2; exit 77; }
done
exec xvfb-run -a -s "-screen 0 ${size}x24" bash -c '
  openbox >/dev/null 2>&1 & wm=$!
  sleep 2  # openbox must manage the display before the window maps, even on a busy machine
  QT_QPA_PLATFORM=xcb "$@"; rc=$?
  kill "$wm" 2>/dev/null || true
  exit "$rc"
' _ "$@"
