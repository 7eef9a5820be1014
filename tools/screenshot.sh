#!/usr/bin/env bash
# Photographs every window of Kitrova under Xvfb with the openbox window manager, on a
# prepared program folder with a sample catalog, into docs/screenshots/.
#
#   bash tools/screenshot.sh <build folder>
set -euo pipefail

build="${1:-build}"
root="$(cd "$(dirname "$0")/.." && pwd)"
shooter="$(realpath "$build")/tools/screenshots/kitrova_screenshots"
[ -x "$shooter" ] || { echo "no screenshot tool at $shooter (build first)" >&2; exit 1; }
for tool in xvfb-run openbox python3; do
  command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 1; }
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
program="$work/Kitrova"
mkdir -p "$program/Backup" "$program/distr" "${SCREENSHOT_DIR:-$root/docs/screenshots}"
cp -r "$root/assets/Pic" "$program/Pic"
cp "$root/assets/Backup/base.krv" "$program/Backup/base.krv"

# The settings and a sample catalog, both in Windows-1251 as the program keeps them.
python3 - "$program" <<'EOF'
import struct, sys
program = sys.argv[1]
distr = program + "/distr/"
records = [
    ("7-Zip", "Архиваторы", "Freeware", "2005", "Лучшее сжатие", "7z442.exe"),
    ("WinRAR", "Архиваторы", "Shareware", "2004", "Русская версия", "wrar340ru.exe"),
    ("Total Commander", "Файловые менеджеры", "Shareware", "2005", "", "tcmdr65.exe"),
    ("FAR Manager", "Файловые менеджеры", "Freeware", "2003", "Для своих", "far170.msi"),
    ("Opera", "Браузеры", "Adware", "2005", "С баннером", "opera802.exe"),
    ("Mozilla Firefox", "Браузеры", "Freeware", "2005", "", "firefox15.exe"),
    ("The Bat!", "Почта", "Shareware", "2004", "Почтовый клиент", "thebat30.exe"),
    ("Adobe Reader", "Офис", "Freeware", "2005", "Чтение PDF", "reader70.msi"),
    ("Аудиограббер", "Мультимедиа", "Freeware", "2002", "Копирование CD", "agrab.zip"),
    ("Winamp", "Мультимедиа", "Freeware", "2004", "Плеер", "winamp51.exe"),
    ("Антивирус Касперского", "Антивирусы", "Shareware", "2005", "Пробная версия", "kav5.exe"),
    ("ICQ Lite", "Общение", "Freeware", "2004", "", "icqlite.exe"),
    ("Miranda IM", "Общение", "Freeware", "2005", "Без рекламы", "miranda.zip"),
]

def field(text):
    data = text.encode("cp1251")[:255]
    return bytes([len(data)]) + data + b"\0" * (255 - len(data))

with open(program + "/base.krv", "wb") as f:
    for name, kind, licence, year, comment, file in records:
        f.write(b"".join(field(t) for t in (name, kind, licence, year, comment, distr + file)))

with open(program + "/settings.ini", "wb") as f:
    f.write(("[lastbase]\r\npath=%s/base.krv\r\n[dir]\r\npath=%s\r\n" % (program, distr))
            .encode("cp1251"))
EOF

# Russian dates and file types in the file dialogs, as on a Russian desktop; the folder
# chooser starts in the program folder.
cd "$program"
LANG=ru_RU.UTF-8 LANGUAGE=ru bash "$root/tools/with_window_manager.sh" -s 1024x768 \
  "$shooter" "$program" "${SCREENSHOT_DIR:-$root/docs/screenshots}"
