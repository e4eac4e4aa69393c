# What the benchmarks that run the harness share; sourced after `cd` to the
# source tree. bench_setup NAME [PROGRAMS...] checks that the 64-bit build
# made the programs, and makes an empty work folder build/64/bench/NAME that
# is removed on exit, with the idle New installation (new_pid) stopped.
build=build/64
bin=$build/bin
run() { scripts/wine-run.sh "$build" 64 "$@"; }
winpath() { echo "Z:$(realpath -m "$1")" | tr / '\\'; }
# the smaller (larger) of two numbers; the first when the second is empty
least() { awk -v a="$1" -v b="$2" 'BEGIN { print (b == "" || a + 0 <= b + 0) ? a : b }'; }
most() { awk -v a="$1" -v b="$2" 'BEGIN { print (b == "" || a + 0 >= b + 0) ? a : b }'; }

new_pid=""
stop_new() {
  if [ -n "$new_pid" ]; then
    kill "$new_pid" 2>/dev/null || true
    wait "$new_pid" 2>/dev/null || true
    new_pid=""
  fi
}

bench_setup() {
  local name=$1 f
  shift
  for f in "$@"; do
    [ -f "$bin/$f" ] || { echo "$name: $bin/$f is missing; build first" >&2; exit 1; }
  done
  work=$(pwd)/$build/bench/$name
  trap 'stop_new; rm -rf "$work"' EXIT
  rm -rf "$work"
  mkdir -p "$work"
}
