#!/usr/bin/env bash
# demo.sh: the two installations of the fixture pair side by side, as a user
# has them.
# The New one runs idle (another Total Commander started with /i=); the My
# one loads the plugin and lists its root with every folder below it, which is
# what the file panel shows when the plugin's root is opened.
# Run through scripts/with-display.sh after the 64-bit build (make demo).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/running-pair.sh
demo=$build/demo
start_running_pair demo "$demo"

# The idle host needs a moment to come up; until then the plugin finds no
# other installation and says so.
output=""
for _ in $(seq 1 30); do
  output=$(run "$my/totalcmd.exe" --plugin "$my/plugins/wfx/Orvelle/Orvelle.wfx64" tree '\')
  grep -q "First, run another Total Commander!" <<<"$output" || break
  sleep 1
done

echo "My installation:  $(winpath "$my")"
echo "New installation: $(winpath "$new")"
echo
echo "The plugin's root and every folder below it (path, kind, size, attributes, date, sign, comment):"
echo "$output"
echo
store="$my/plugins/wfx/Orvelle/backup"
if [ -d "$store" ]; then
  echo "Backup store ($(winpath "$store")):"
  (cd "$store" && find . -mindepth 1 -maxdepth 1 -type d | sed 's|^\./|  |')
fi
