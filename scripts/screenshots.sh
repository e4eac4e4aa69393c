#!/usr/bin/env bash
# screenshots.sh: pictures of the plugin's dialogs and of a comparison folder
# as the host's panel shows it, taken from the fixture pair under Xvfb and
# written to docs/ as PNG files (the README shows them); and the pair's HTML
# report as a browser shows it, drawn by headless Chromium (docs/report.png).
# Run through scripts/with-display.sh after the 64-bit build (make screenshots).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/running-pair.sh
work=$build/screenshots
start_running_pair screenshots "$work"
mkdir -p "$work/pictures"

# Each picture: the harness command that shows it, and the file it becomes.
files='\totalcmd.exe\Main unit\Files'
commands=(
  exec '\totalcmd.exe\Plugins\WFX\FTP\Directory\ftp.wfx'
  exec "$files\\NOCLOSE.EXE"
  exec '\totalcmd.exe\Main unit\Commands\Configuration\cm_DisplayConfig.487'
  exec '\About...'
  exec '\totalcmd.exe\Plugins\WFX\FTP\Update'
  exec '\totalcmd.exe\Plugins\Update all'
  show "$files"
  get '\Report.html' "$(winpath "$work/report.html")" 1
)
names=(file-compare dialog-1 file-compare-only-new dialog-2 text-compare dialog-3 about dialog-4
       update dialog-5 update-all dialog-6 panel panel-1)

output=""
for _ in $(seq 1 30); do
  rm -f "$work/pictures"/*
  output=$(run "$my/totalcmd.exe" --plugin "$my/plugins/wfx/Orvelle/Orvelle.wfx64" \
    --capture "$(winpath "$work/pictures")" list '\' "${commands[@]}")
  # The idle host needs a moment to come up.
  grep -q "First, run another Total Commander!" <<<"$output" || break
  sleep 1
done

mkdir -p docs
for ((i = 0; i < ${#names[@]}; i += 2)); do
  picture="$work/pictures/${names[i + 1]}.bmp"
  [ -f "$picture" ] || { echo "screenshots: no picture $picture" >&2; echo "$output" >&2; exit 1; }
  python3 scripts/bmp2png.py "$picture" "docs/${names[i]}.png"
  echo "docs/${names[i]}.png"
done

# The File Compare dialog in German and in Chinese: My installation's
# language setting changed, the plugin started again. The dialog picks a font
# with Chinese letters itself; Wine draws the caption bar with Tahoma, which
# has none, so the prefix links Tahoma to that font as Windows does with its
# own fonts.
for face in Tahoma 'Tahoma Bold'; do
  run reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
    /v "$face" /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f >/dev/null 2>&1 || true
done
for language in deu:DEU chn:CHN; do
  sed -i "s/^LanguageIni=.*/LanguageIni=WCMD_${language#*:}.LNG\r/" "$my/wincmd.ini"
  rm -f "$work/pictures"/*
  output=$(run "$my/totalcmd.exe" --plugin "$my/plugins/wfx/Orvelle/Orvelle.wfx64" \
    --capture "$(winpath "$work/pictures")" list '\' exec '\totalcmd.exe\Plugins\WFX\FTP\Directory\ftp.wfx')
  picture="$work/pictures/dialog-1.bmp"
  [ -f "$picture" ] || { echo "screenshots: no picture $picture" >&2; echo "$output" >&2; exit 1; }
  python3 scripts/bmp2png.py "$picture" "docs/file-compare-${language%%:*}.png"
  echo "docs/file-compare-${language%%:*}.png"
done
sed -i "s/^LanguageIni=.*/LanguageIni=WCMD_ENG.LNG\r/" "$my/wincmd.ini"

# The report in a real browser: its picture shows what the user opens.
[ -s "$work/report.html" ] || { echo "screenshots: no report" >&2; echo "$output" >&2; exit 1; }
chrome=$(command -v chromium || command -v chromium-browser || true)
[ -n "$chrome" ] || { echo "screenshots: chromium is missing (scripts/setup.sh --screenshots)" >&2; exit 1; }
# Chromium refuses to run as root inside its sandbox; the page is our own.
"$chrome" --headless --no-sandbox --disable-gpu --hide-scrollbars --window-size=1100,1500 \
  --screenshot="$(pwd)/docs/report.png" "file://$(realpath "$work/report.html")" >/dev/null 2>&1
[ -s docs/report.png ] || { echo "screenshots: chromium drew no picture" >&2; exit 1; }
echo docs/report.png
