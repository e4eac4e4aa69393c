#!/usr/bin/env bash
# demo.sh: the two installations of the fixture pair side by side, as a user
# has them.
# The New one runs idle (another Total Commander started with /i=); the My
# one loads the plugin and lists its root with every folder below it, which is
# what the file panel shows when the plugin's root is opened.
# Run through scripts/with-display.sh after the 64-bit build (make demo).
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/64
bin=$build/bin
for f in tchost64.exe Orvelle.wfx64 orvelle_e2e.exe; do
  [ -f "$bin/$f" ] || { echo "demo: $bin/$f is missing; run make build64 first" >&2; exit 1; }
done
run() { scripts/wine-run.sh "$build" 64 "$@"; }
winpath() { echo "Z:$(realpath -m "$1")" | tr / '\\'; }

demo=$build/demo
rm -rf "$demo"
mkdir -p "$demo"

# The fixture pair (fixtures/pair), its programs and plugins made from the
# build with the versions and icons the pair describes. The program folders
# hold a blank, so that Wine quotes the program path on the command line it
# builds, as Windows shells do: the plugin reads the /i= parameter only after
# a quoted program path.
my="$demo/My installation"
new="$demo/New installation"
export ORVELLE_SOURCE_DIR ORVELLE_BINARY_DIR
ORVELLE_SOURCE_DIR=$(winpath .)
ORVELLE_BINARY_DIR=$(winpath "$build")
run "$bin/orvelle_e2e.exe" --prepare-pair my "$(winpath "$my")"
run "$bin/orvelle_e2e.exe" --prepare-pair new "$(winpath "$new")"
# Both installations register a plugin of My's "shared" folder through this
# variable (PreparePairInstallation sets it in its own process only).
export PAIR_SHARED
PAIR_SHARED=$(winpath "$my/shared")
mkdir -p "$my/plugins/wfx/Orvelle"
cp "$bin/Orvelle.wfx64" "$my/plugins/wfx/Orvelle/"

# The New installation keeps its configuration outside its program folder:
# only its /i= parameter leads there.
mkdir -p "$demo/new-settings"
mv "$new/wincmd.ini" "$demo/new-settings/wincmd.ini"
run "$new/totalcmd.exe" --idle 120 "/i=$(winpath "$demo/new-settings/wincmd.ini")" &
new_pid=$!
stop_new() { kill "$new_pid" 2>/dev/null || true; wait "$new_pid" 2>/dev/null || true; }
trap stop_new EXIT

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
