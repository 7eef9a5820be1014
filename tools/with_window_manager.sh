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
ready_dir=$(mktemp -d)
trap 'rm -rf "$ready_dir"' EXIT
export KITROVA_WM_READY="$ready_dir/ready"
xvfb-run -a -s "-screen 0 ${size}x24" bash -c '
  # openbox runs the start-up command once it manages the display; on a cold machine that
  # can take seconds (font caches), and a window mapped before then is framed late.
  openbox --startup "touch $KITROVA_WM_READY" >/dev/null 2>&1 & wm=$!
  for _ in $(seq 600); do [ -e "$KITROVA_WM_READY" ] && break; sleep 0.1; done
  if [ ! -e "$KITROVA_WM_READY" ]; then
    echo "openbox did not start within a minute" >&2
    kill "$wm" 2>/dev/null || true
    exit 1
  fi
  QT_QPA_PLATFORM=xcb "$@"; rc=$?
  kill "$wm" 2>/dev/null || true
  exit "$rc"
' _ "$@"
