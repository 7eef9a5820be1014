#!/usr/bin/env bash
# Checks the packages `make package` leaves in the release build folder:
#  - the .deb passes lintian with no error or warning, both executables pass
#    hardening-check, the AppStream data and the desktop entry validate;
#  - the .deb installs (dpkg -i), lists its files (dpkg -L), and the installed program,
#    started under Xvfb as an unprivileged user, keeps settings.ini in that user's folder;
#  - the portable .tar.gz, unpacked in a fresh folder, starts and keeps settings.ini beside
#    its executable; moved to a folder with spaces and Cyrillic letters, it opens the same
#    catalog.
# Installing needs root (CI runs as root); the .deb is removed again at the end.
#
#   bash tools/check_package.sh [release build folder]
set -euo pipefail

build="${1:-build-release}"
deb="$(ls "$build"/kitrova_*.deb 2>/dev/null | head -n1 || true)"
tgz="$(ls "$build"/kitrova-*-portable.tar.gz 2>/dev/null | head -n1 || true)"
[ -n "$deb" ] && [ -n "$tgz" ] || { echo "no packages in $build (run make package)" >&2; exit 1; }
command -v xvfb-run >/dev/null || { echo "xvfb-run is missing" >&2; exit 1; }

work="$(mktemp -d)"
chmod 755 "$work"
installed_here=""
cleanup() {
  [ -n "$installed_here" ] && dpkg -r kitrova >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

# Runs the rest of the command line as the unprivileged user "nobody" when we are root.
as_user() {
  if [ "$(id -u)" = "0" ]; then
    setpriv --reuid=65534 --regid=65534 --clear-groups "$@"
  else
    "$@"
  fi
}
user_owns() { [ "$(id -u)" = "0" ] && chown -R 65534:65534 "$@" || true; }

# Starts an executable under Xvfb with HOME=$2 and waits (at most 30 s) until the file $3
# holds the text $4, then ends the program. The first-run question is avoided by an
# installer folder written into the settings beforehand.
run_until_found() {
  local exe="$1" home="$2" file="$3" text="$4"
  as_user env HOME="$home" XDG_RUNTIME_DIR="$home/run" timeout -k 5 60 \
    xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
      "$1" >/dev/null 2>&1 & pid=$!
      for _ in $(seq 1 60); do
        grep -qa "$3" "$2" 2>/dev/null && break
        sleep 0.5
      done
      sleep 1
      kill "$pid" 2>/dev/null || true
      wait "$pid" 2>/dev/null || true
    ' _ "$exe" "$file" "$text" || true
  grep -qa "$text" "$file" 2>/dev/null || fail "$exe did not write \"$text\" into $file"
}

seed_settings() {  # an installer folder only, so the program does not ask for one
  mkdir -p "$(dirname "$1")"
  printf '[dir]\r\npath=/tmp/\r\n' >"$1"
}

echo "== lintian $deb"
# Every error and warning fails. Manual pages come with the command-line work; until the
# package carries one, lintian's no-manual-page is reported as pending, not passed over.
lintian_out="$(lintian --tag-display-limit 0 "$deb" 2>&1 || true)"
echo "$lintian_out"
serious="$(grep -E '^[EW]: ' <<<"$lintian_out" || true)"
if ! dpkg-deb -c "$deb" | grep -q '/usr/share/man/'; then
  pending="$(grep -E '^W: kitrova: no-manual-page ' <<<"$serious" || true)"
  [ -z "$pending" ] || printf 'pending (no manual page in the package yet):\n%s\n' "$pending"
  serious="$(grep -vE '^W: kitrova: no-manual-page ' <<<"$serious" || true)"
fi
[ -z "$serious" ] || fail "lintian found errors or warnings:"$'\n'"$serious"

echo "== hardening-check"
extracted="$work/deb"
dpkg-deb -x "$deb" "$extracted"
# Control-flow protection is not among Debian 12's dpkg-buildflags. kitrova itself makes no
# libc call whose size is only known at run time, so hardening-check finds nothing
# fortified in it; that it was built with the flag is read from the compile commands.
hardening-check --nocfprotection "$extracted/usr/bin/kitrova-cli"
hardening-check --nocfprotection --nofortify "$extracted/usr/bin/kitrova"
python3 - "$build/compile_commands.json" <<'PY' || fail "kitrova was not built with _FORTIFY_SOURCE"
import json, sys
entries = [e for e in json.load(open(sys.argv[1])) if e["file"].endswith("/app/main.cpp")]
sys.exit(0 if entries and all("-D_FORTIFY_SOURCE" in e["command"] for e in entries) else 1)
PY

echo "== desktop entry and AppStream data"
appstreamcli validate --no-net --pedantic \
  "$extracted/usr/share/metainfo/org.kitrova.Kitrova.metainfo.xml"
desktop-file-validate "$extracted/usr/share/applications/org.kitrova.Kitrova.desktop"
dpkg-deb -f "$deb" Recommends | grep -q xdg-utils || fail "xdg-utils is not recommended"

echo "== $deb"
if [ "$(id -u)" = "0" ]; then
  dpkg -s kitrova >/dev/null 2>&1 || installed_here=yes
  dpkg -i "$deb"
  files="$(dpkg -L kitrova)"
  echo "$files"
  for f in /usr/bin/kitrova /usr/share/kitrova/Pic/new.bmp /usr/share/kitrova/Pic/splash.bmp \
           /usr/share/kitrova/Backup/base.krv /usr/share/applications/org.kitrova.Kitrova.desktop \
           /usr/share/metainfo/org.kitrova.Kitrova.metainfo.xml \
           /usr/share/icons/hicolor/256x256/apps/kitrova.png; do
    grep -qx "$f" <<<"$files" || fail "$f is not in the package"
  done
  dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6 || fail "no Qt dependency computed"

  home="$work/home"
  mkdir -p "$home/run"
  user_data="$home/.local/share/Kitrova"
  seed_settings "$user_data/settings.ini"
  user_owns "$home"
  chmod 700 "$home/run"
  if [ "$(id -u)" = "0" ] && ! as_user true 2>/dev/null; then
    echo "skipped: cannot run as an unprivileged user here"
  else
    run_until_found /usr/bin/kitrova "$home" "$user_data/settings.ini" lastbase
    grep -qa "path=base.krv" "$user_data/settings.ini" ||
      fail "the catalog is not in the user's folder: $(cat "$user_data/settings.ini")"
    [ -f "$user_data/base.krv" ] || fail "no catalog created in $user_data"
    [ -f "$user_data/Pic/new.bmp" ] || fail "pictures not seeded into $user_data"
    [ ! -e /usr/bin/settings.ini ] || fail "settings.ini written beside the installed executable"
    echo "installed program keeps its files in $user_data"
  fi
else
  echo "skipped: installing the .deb needs root"
fi

echo "== $tgz"
portable="$work/portable"
mkdir -p "$portable"
tar -xzf "$tgz" -C "$portable"
exe="$(find "$portable" -maxdepth 2 -type f -name kitrova | head -n1)"
[ -n "$exe" ] || fail "no executable in the portable archive"
top="$(dirname "$exe")"
for f in kitrova kitrova-cli Pic/new.bmp Pic/splash.bmp Backup/base.krv qtbase_ru.qm README.md \
         LICENSE CHANGELOG.md COPYRIGHT; do
  [ -e "$top/$f" ] || fail "$f is not in the portable archive"
done
home="$work/home-portable"
mkdir -p "$home/run"
chmod 700 "$home/run"
seed_settings "$top/settings.ini"
user_owns "$home" "$top"
run_until_found "$top/kitrova" "$home" "$top/settings.ini" lastbase
grep -qa "path=base.krv" "$top/settings.ini" ||
  fail "the catalog beside the executable is not remembered by its name: $(cat "$top/settings.ini")"
[ -f "$top/base.krv" ] || fail "no catalog created beside the executable"
[ ! -e "$home/.local/share/Kitrova" ] || fail "the portable copy used the per-user folder"
echo "portable copy keeps its files in $top"

echo "== the portable copy moved"
# One record in the catalog: the working copy the moved program takes shows which catalog
# it opened.
python3 - "$top/base.krv" <<'PY'
import sys
def field(text):
    data = text.encode("cp1251")
    return bytes([len(data)]) + data + b"\0" * (255 - len(data))
with open(sys.argv[1], "wb") as f:
    f.write(b"".join(field(t) for t in ("Far", "Утилиты", "Freeware", "2005", "", "/tmp/far.zip")))
PY
rm -f "$top/_tmp.krv"
moved="$work/Мои программы/Kitrova copy"
mkdir -p "$work/Мои программы"
mv "$top" "$moved"
user_owns "$work/Мои программы"
run_until_found "$moved/kitrova" "$home" "$moved/_tmp.krv" Far
cmp -s "$moved/_tmp.krv" "$moved/base.krv" ||
  fail "the moved copy did not open its catalog: $(cat "$moved/settings.ini")"
grep -qa "path=base.krv" "$moved/settings.ini" || fail "the moved copy changed its settings"
[ ! -e "$top" ] || fail "the moved copy wrote into its old folder"
echo "the moved portable copy opens $moved/base.krv"
echo "package checks passed"
