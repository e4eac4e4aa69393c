# running-pair.sh: sourced by demo.sh and screenshots.sh, after the 64-bit
# build. `start_running_pair NAME WORK` makes the fixture pair under WORK as a
# user has it (NAME says who asks, in the message of a missing build): My
# installation with the plugin in its plugin folder, and the New one running
# idle (another Total Commander started with /i=) with its configuration
# outside its program folder, so that only its /i= parameter leads there.
# It sets my and new (the two folders) and stops the New one on exit;
# run and winpath are the helpers both scripts use.
build=build/64
bin=$build/bin
run() { scripts/wine-run.sh "$build" 64 "$@"; }
winpath() { echo "Z:$(realpath -m "$1")" | tr / '\\'; }

start_running_pair() {
  local name=$1 work=$2 f
  for f in tchost64.exe Orvelle.wfx64 orvelle_e2e.exe; do
    [ -f "$bin/$f" ] || { echo "$name: $bin/$f is missing; run make build64 first" >&2; exit 1; }
  done
  rm -rf "$work"
  mkdir -p "$work"
  # The program folders hold a blank, so that Wine quotes the program path on
  # the command line it builds, as Windows shells do: the plugin reads the
  # /i= parameter only after a quoted program path.
  my="$work/My installation"
  new="$work/New installation"
  export ORVELLE_SOURCE_DIR ORVELLE_BINARY_DIR PAIR_SHARED
  ORVELLE_SOURCE_DIR=$(winpath .)
  ORVELLE_BINARY_DIR=$(winpath "$build")
  run "$bin/orvelle_e2e.exe" --prepare-pair my "$(winpath "$my")"
  run "$bin/orvelle_e2e.exe" --prepare-pair new "$(winpath "$new")"
  # Both installations register a plugin of My's "shared" folder through this
  # variable (PreparePairInstallation sets it in its own process only).
  PAIR_SHARED=$(winpath "$my/shared")
  mkdir -p "$my/plugins/wfx/Orvelle"
  cp "$bin/Orvelle.wfx64" "$bin"/Orvelle_*.lng "$my/plugins/wfx/Orvelle/"

  mkdir -p "$work/new-settings"
  mv "$new/wincmd.ini" "$work/new-settings/wincmd.ini"
  run "$new/totalcmd.exe" --idle 120 "/i=$(winpath "$work/new-settings/wincmd.ini")" &
  new_pid=$!
  trap 'kill "$new_pid" 2>/dev/null || true; wait "$new_pid" 2>/dev/null || true' EXIT
}
