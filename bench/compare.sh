#!/usr/bin/env bash
# The comparison of an installation pair through the harness, measured in
# one run against
#   - `diff -rq` over the same two trees, native (no Wine);
#   - the floor: bench/floor_bench.cpp under the same Wine on the same trees,
#     the least work a comparison can do (list both trees, read every pair of
#     equal size side by side to the first difference), with one thread and
#     with as many as the plugin uses;
# and the listing's own cost per entry: the harness lists every folder of
# the comparison tree (`tree`), its output buffered so that the figure is the
# entry points' work and not the writing of the lines; and the reports of
# the whole tree (Report.html and Report.txt written through FsGetFile), per
# entry as well, so that the two trees show whether they grow linearly.
#   large: 320 plugins of the four kinds, 66 files each, 1 GiB in all (both
#          sides); most files equal, some differing in their last byte, some
#          in their first, some in size, a few on one side only. Its tree
#          (about 23,600 entries) is far from the cap: the comparison
#          completes.
#   wide:  300 plugins of 208 small files: a tree close to the cap of 65536
#          entries, for the listing's cost per entry against the large
#          tree's (linear when the two are close). Should the tree overflow
#          (more entries per plugin), the comparison stops at the cap: the
#          output says so and sets no ratio, since the floor did more work.
# Every time is the best of REPEAT runs (default 3): the machine may be busy.
# The thread count is the plugin's own (ORVELLE_THREADS when set, else the
# number of processors, at least 4 and at most 8). Data is made under build/64/bench/compare and
# removed afterwards. `bench/compare.sh large` runs the first pair only,
# `bench/compare.sh wide` the second.
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/common.sh
bench_setup compare tchost64.exe Orvelle.wfx64 compare_bench.exe floor_bench.exe
repeat=${REPEAT:-3}
load() { awk '{ print $1 }' /proc/loadavg; }

# seconds between two `date +%s%N` readings
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", (b - a) / 1e9 }'; }
# the value of "NAME value" lines
field() { awk -v n="$2" '$1 == n { print $2 }' "$1"; }

# floor ROOT THREADS OUT: the floor program's figures in OUT (0 threads: the
# plugin's count).
floor() {
  local attempt
  for attempt in 1 2 3; do
    run "$bin/floor_bench.exe" "$(winpath "$1/new")" "$(winpath "$1/my")" "$2" | tr -d '\r' >"$3" || true
    [ -n "$(field "$3" seconds)" ] && return 0
  done
  echo "compare: the floor program gave no figures" >&2
  exit 1
}

bench() {
  local name=$1 mib=$2 plugins=$3 files=$4
  local root=$work/$name
  echo "-- $name: $plugins plugins x $files files, $mib MiB in both installations"
  run "$bin/compare_bench.exe" "$(winpath "$root")" "$mib" "$plugins" "$files" | tr -d '\r' |
    awk '/^files/ { f = $2 } /^bytes/ { b = $2 } END {
      printf "data:          %d files, %.0f MiB (both sides)\n", f, b / 1048576 }'
  cp "$bin/tchost64.exe" "$root/my/totalcmd.exe"
  cp "$bin/tchost64.exe" "$root/new/totalcmd.exe"
  mkdir -p "$root/my/plugins/wfx/Orvelle"
  cp "$bin/Orvelle.wfx64" "$root/my/plugins/wfx/Orvelle/"
  # Every reader starts from the page cache.
  find "$root" -type f -exec cat {} + >/dev/null
  local load_before
  load_before=$(load)

  local diff_s="" floor1_s="" floorn_s="" threads="" pairs=""
  local compare_s="" tree_s="" html_s="" text_s="" cut="" entries=0 h x
  local out=$root/tree.txt err=$root/times.txt floor_out=$root/floor.txt
  local i t0 t1 c t n attempt
  # Each round measures everything once, so that a busy spell of the machine
  # falls on all alike; the New installation runs idle throughout, so that
  # Wine's own processes are up before anything is measured.
  for i in $(seq 1 "$repeat"); do
    t0=$(date +%s%N)
    diff -rq "$root/new" "$root/my" >/dev/null || true
    t1=$(date +%s%N)
    diff_s=$(least "$(elapsed "$t0" "$t1")" "$diff_s")

    c="" t="" n=0
    for attempt in $(seq 1 30); do
      # Started anew when it has ended. It needs a moment to come up: until
      # then the plugin finds no other installation and says so at once.
      if [ -z "$new_pid" ] || ! kill -0 "$new_pid" 2>/dev/null; then
        run "$root/new/totalcmd.exe" --idle 3600 "/i=$(winpath "$root/new/wincmd.ini")" &
        new_pid=$!
        sleep 2
      fi
      run "$root/my/totalcmd.exe" --plugin "$root/my/plugins/wfx/Orvelle/Orvelle.wfx64" --times \
        list '\' tree '\totalcmd.exe' get '\Report.html' "$(winpath "$root/report.html")" 1 \
        get '\Report.txt' "$(winpath "$root/report.txt")" 1 >"$out" 2>"$err" || true
      tr -d '\r' <"$err" >"$err.txt"
      # Command 1 lists the root (both models and the whole comparison),
      # command 2 every folder of the comparison tree, 3 and 4 write the
      # two reports.
      c=$(awk '$1 == "time" && $2 == 1 { print $3 }' "$err.txt")
      t=$(awk '$1 == "time" && $2 == 2 { print $3 }' "$err.txt")
      h=$(awk '$1 == "time" && $2 == 3 { print $3 }' "$err.txt")
      x=$(awk '$1 == "time" && $2 == 4 { print $3 }' "$err.txt")
      n=$(grep -c '^.totalcmd.exe.' "$out" || true)
      [ -n "$c" ] && [ -n "$t" ] && [ "$n" -gt 0 ] && break
      sleep 1
    done
    [ "$n" -gt 0 ] || { echo "compare: no comparison came out of the harness" >&2; cat "$out" "$err.txt" >&2; exit 1; }
    compare_s=$(least "$c" "$compare_s")
    tree_s=$(least "$t" "$tree_s")
    [ -n "$h" ] && html_s=$(least "$h" "$html_s")
    [ -n "$x" ] && text_s=$(least "$x" "$text_s")
    entries=$n
    # A tree that is full, or a comparison that stopped, marks the root.
    grep -q "Virtual tree was not build completely" "$out" && cut=yes

    floor "$root" 1 "$floor_out"
    floor1_s=$(least "$(field "$floor_out" seconds)" "$floor1_s")
    floor "$root" 0 "$floor_out"
    floorn_s=$(least "$(field "$floor_out" seconds)" "$floorn_s")
    threads=$(field "$floor_out" threads)
    pairs=$(field "$floor_out" pairs)
  done
  stop_new
  local load_after html_kib text_kib
  load_after=$(load)
  html_kib=$(( $(stat -c %s "$root/report.html" 2>/dev/null || echo 0) / 1024 ))
  text_kib=$(( $(stat -c %s "$root/report.txt" 2>/dev/null || echo 0) / 1024 ))

  awk -v d="$diff_s" -v f1="$floor1_s" -v fn="$floorn_s" -v n="$threads" -v p="$pairs" \
      -v c="$compare_s" -v t="$tree_s" -v e="$entries" -v cut="$cut" -v r="$repeat" \
      -v h="$html_s" -v x="$text_s" -v hk="$html_kib" -v xk="$text_kib" \
      -v l0="$load_before" -v l1="$load_after" 'BEGIN {
    printf "load:          %s before, %s after (1-minute average); best of %d runs\n", l0, l1, r
    printf "diff -rq:      %7.3f s   native\n", d
    printf "floor:         %7.3f s   1 thread, %d pairs of equal size read\n", f1, p
    printf "floor:         %7.3f s   %d threads\n", fn, n
    if (cut == "") {
      printf "comparison:    %7.3f s   %d threads (listing the root: both models and the whole comparison)\n", c, n
      printf "ratios:        comparison / floor %d threads %.2f (target: at most 1.10), / floor 1 thread %.2f, / diff -rq %.1f; floor 1 thread / diff -rq %.1f\n",
             n, c / fn, c / f1, c / d, f1 / d
    } else {
      printf "comparison:    %7.3f s   CUT SHORT: the tree is full, so the comparison did less than the floor; no ratio\n", c
    }
    printf "listing:       %7.3f s   for %d entries (every folder of the tree, output not written), %.1f us per entry\n", t, e, t / e * 1e6
    if (h != "") printf "Report.html:   %7.3f s   %d KiB, %.1f us per entry (goal: under a second)\n", h, hk, h / e * 1e6
    if (x != "") printf "Report.txt:    %7.3f s   %d KiB, %.1f us per entry\n", x, xk, x / e * 1e6
  }'
  rm -rf "$root"
}

[ "${1:-}" = wide ] || bench large 1024 320 66
[ "${1:-}" = large ] || bench wide 32 300 208
