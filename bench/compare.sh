#!/usr/bin/env bash
# The comparison of a large installation pair through the harness, next to
# `diff -rq` over the same two trees in the same run, and the listing of every
# folder of the comparison tree it builds.
#   large: 320 plugins of the four kinds, 66 files each, 1 GiB in all (both
#          sides); most files equal, some differing in their last byte, some
#          in their first, some in size, a few on one side only.
#   wide:  300 plugins of 208 small files: a tree of about 64,500 entries,
#          for the listing (time per entry listed, against the large tree's).
# Data is made under build/64/bench/compare and removed afterwards.
# `bench/compare.sh large` runs the first only.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/64
bin=$build/bin
for f in tchost64.exe Orvelle.wfx64 compare_bench.exe; do
  [ -f "$bin/$f" ] || { echo "compare: $bin/$f is missing; build first" >&2; exit 1; }
done
run() { scripts/wine-run.sh "$build" 64 "$@"; }
winpath() { echo "Z:$(realpath -m "$1")" | tr / '\\'; }

work=$(pwd)/$build/bench/compare
new_pid=""
stop_new() {
  if [ -n "$new_pid" ]; then
    kill "$new_pid" 2>/dev/null || true
    wait "$new_pid" 2>/dev/null || true
    new_pid=""
  fi
}
cleanup() { stop_new; rm -rf "$work"; }
trap cleanup EXIT
rm -rf "$work"
mkdir -p "$work"

# seconds between two `date +%s%N` readings
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", (b - a) / 1e9 }'; }

bench() {
  local name=$1 mib=$2 plugins=$3 files=$4
  local root=$work/$name
  echo "-- $name: $plugins plugins x $files files, $mib MiB in both installations"
  run "$bin/compare_bench.exe" "$(winpath "$root")" "$mib" "$plugins" "$files" | tr -d '\r' |
    awk '/^files/ { f = $2 } /^bytes/ { b = $2 } END {
      printf "data:        %d files, %.0f MiB (both sides)\n", f, b / 1048576 }'
  cp "$bin/tchost64.exe" "$root/my/totalcmd.exe"
  cp "$bin/tchost64.exe" "$root/new/totalcmd.exe"
  mkdir -p "$root/my/plugins/wfx/Orvelle"
  cp "$bin/Orvelle.wfx64" "$root/my/plugins/wfx/Orvelle/"
  # Both readers start from the page cache.
  find "$root" -type f -exec cat {} + >/dev/null

  local t0 t1
  t0=$(date +%s%N)
  diff -rq "$root/my" "$root/new" >/dev/null || true
  t1=$(date +%s%N)
  local diff_s
  diff_s=$(elapsed "$t0" "$t1")

  run "$root/new/totalcmd.exe" --idle 900 "/i=$(winpath "$root/new/wincmd.ini")" &
  new_pid=$!
  # The idle host needs a moment to come up; until then the plugin finds no
  # other installation and says so at once.
  local out=$root/tree.txt err=$root/times.txt
  for _ in $(seq 1 30); do
    run "$root/my/totalcmd.exe" --plugin "$root/my/plugins/wfx/Orvelle/Orvelle.wfx64" --times \
      list '\' tree '\totalcmd.exe\Plugins\WFX' tree '\totalcmd.exe' >"$out" 2>"$err"
    grep -q "First, run another Total Commander!" "$out" || break
    sleep 1
  done
  stop_new
  tr -d '\r' <"$err" >"$err.txt"
  # Command 2 lists the WFX folder's part of the tree, command 3 all of it;
  # both print the WFX part.
  local compare_s part_s tree_s part entries
  compare_s=$(awk '$1 == "time" && $2 == 1 { print $3 }' "$err.txt")
  part_s=$(awk '$1 == "time" && $2 == 2 { print $3 }' "$err.txt")
  tree_s=$(awk '$1 == "time" && $2 == 3 { print $3 }' "$err.txt")
  part=$(( $(grep -c '^.totalcmd.exe.Plugins.WFX.' "$out" || true) / 2 ))
  entries=$(( $(grep -c '^.totalcmd.exe.' "$out" || true) - part ))
  [ -n "$compare_s" ] && [ -n "$tree_s" ] || { echo "compare: the harness gave no times" >&2; cat "$err.txt" >&2; exit 1; }
  grep -q "Virtual tree was not build completely" "$out" &&
    echo "note:        the comparison did not complete (tree full or cancelled)"
  awk -v d="$diff_s" -v c="$compare_s" -v t="$tree_s" -v n="$entries" -v pt="$part_s" \
      -v pn="$part" 'BEGIN {
    printf "diff -rq:    %.3f s\n", d
    printf "comparison:  %.3f s (listing the root: both models and the whole comparison)\n", c
    printf "ratio:       %.2f (target: at most 1.50)\n", c / d
    printf "tree:        %.3f s for %d entries listed, %.1f us per entry\n", t, n, t / n * 1e6
    printf "WFX part:    %.3f s for %d entries listed, %.1f us per entry\n", pt, pn, pt / pn * 1e6
  }'
  rm -rf "$root"
}

[ "${1:-}" = wide ] || bench large 1024 320 66
[ "${1:-}" = large ] || bench wide 32 300 208
