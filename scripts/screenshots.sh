#!/usr/bin/env bash
# screenshots.sh: pictures of the plugin's dialogs and of a comparison folder
# as the host's panel shows it, taken from the fixture pair under Xvfb and
# written to docs/ as PNG files (the README shows them).
# Run through scripts/with-display.sh after the 64-bit build (make screenshots).
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/64
bin=$build/bin
for f in tchost64.exe Orvelle.wfx64 orvelle_e2e.exe; do
  [ -f "$bin/$f" ] || { echo "screenshots: $bin/$f is missing; run make build64 first" >&2; exit 1; }
done
run() { scripts/wine-run.sh "$build" 64 "$@"; }
winpath() { echo "Z:$(realpath -m "$1")" | tr / '\\'; }

work=$build/screenshots
rm -rf "$work"
mkdir -p "$work/pictures"
my="$work/My installation"
new="$work/New installation"
export ORVELLE_SOURCE_DIR ORVELLE_BINARY_DIR PAIR_SHARED
ORVELLE_SOURCE_DIR=$(winpath .)
ORVELLE_BINARY_DIR=$(winpath "$build")
run "$bin/orvelle_e2e.exe" --prepare-pair my "$(winpath "$my")"
run "$bin/orvelle_e2e.exe" --prepare-pair new "$(winpath "$new")"
PAIR_SHARED=$(winpath "$my/shared")
mkdir -p "$my/plugins/wfx/Orvelle"
cp "$bin/Orvelle.wfx64" "$my/plugins/wfx/Orvelle/"

# The New installation's configuration lies in a folder without blanks, as in
# the demo, so that the pictures show paths as short as possible.
mkdir -p "$work/new-settings"
mv "$new/wincmd.ini" "$work/new-settings/wincmd.ini"
run "$new/totalcmd.exe" --idle 120 "/i=$(winpath "$work/new-settings/wincmd.ini")" &
new_pid=$!
stop_new() { kill "$new_pid" 2>/dev/null || true; wait "$new_pid" 2>/dev/null || true; }
trap stop_new EXIT

# Each picture: the harness command that shows it, and the file it becomes.
files='\totalcmd.exe\Main unit\Files'
commands=(
  exec '\totalcmd.exe\Plugins\WFX\FTP\Directory\ftp.wfx'
  exec "$files\\NOCLOSE.EXE"
  exec '\totalcmd.exe\Main unit\Commands\Configuration\cm_DisplayConfig.487'
  exec '\About...'
  exec '\totalcmd.exe\Plugins\WFX\FTP\Update'
  show "$files"
)
names=(file-compare dialog-1 file-compare-only-new dialog-2 text-compare dialog-3 about dialog-4
       update dialog-5 panel panel-1)

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
