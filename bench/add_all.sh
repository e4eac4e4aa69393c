#!/usr/bin/env bash
# "Add all" of the large benchmark pair's New-only plugins through the
# harness, measured in one run against the floor: bench/copy_floor_bench.cpp
# copying the very same files (the folders Add all carried over) with the
# system's copy function (CopyFileW) under the same Wine, after each Add
# all. The pair is bench/compare_bench.cpp's large one
# (320 plugins of the four kinds, 66 files each) with My installation
# stripped of its plugins, so that every plugin of New is New-only. Prints
# both times, their ratio (goal: at most 1.2) and how the host's progress
# display was fed: the number of progress calls and the longest gap between
# two (goal: at most 0.1 s). Add all is timed from the moment its dialog
# was answered (at once, by the harness) to the end, as the floor has no
# question to ask; the dialog's own time, from the entry's opening to the
# answer, is printed beside it. Every time is the best of REPEAT runs
# (default 3: one run's times swing with the machine's disk; each run copies
# half a gigabyte). Data is made under
# build/64/bench/add_all and removed afterwards.
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/common.sh
bench_setup add_all tchost64.exe Orvelle.wfx64 compare_bench.exe copy_floor_bench.exe
repeat=${REPEAT:-3}
mib=${MIB:-1024}
root=$work/pair

run "$bin/compare_bench.exe" "$(winpath "$root")" "$mib" 320 66 >/dev/null
# My installation keeps its configuration but no plugin: New's are all New-only.
rm -rf "$root/my/plugins"
head -n 3 "$root/my/wincmd.ini" >"$work/my.ini"
cp "$work/my.ini" "$root/my/wincmd.ini"
cp "$bin/tchost64.exe" "$root/my/totalcmd.exe"
cp "$bin/tchost64.exe" "$root/new/totalcmd.exe"
files=$(find "$root/new/plugins" -type f | wc -l)
mebibytes=$(du -sm "$root/new/plugins" | cut -f1)
echo "-- $files files, $mebibytes MiB in New's plugins"

reset_my() {
  rm -rf "$root/my/plugins"
  mkdir -p "$root/my/plugins/wfx/Orvelle"
  cp "$bin/Orvelle.wfx64" "$root/my/plugins/wfx/Orvelle/"
  cp "$work/my.ini" "$root/my/wincmd.ini"
}

add_s="" dialog_s="" floor_s="" gap_s="" calls="" added=""
for i in $(seq 1 "$repeat"); do
  reset_my
  for attempt in $(seq 1 20); do
    if [ -z "$new_pid" ] || ! kill -0 "$new_pid" 2>/dev/null; then
      run "$root/new/totalcmd.exe" --idle 3600 "/i=$(winpath "$root/new/wincmd.ini")" &
      new_pid=$!
      sleep 2
    fi
    find "$root/new" -type f -exec cat {} + >/dev/null
    sync
    run "$root/my/totalcmd.exe" --plugin "$root/my/plugins/wfx/Orvelle/Orvelle.wfx64" --times \
      --press Add list '\' exec '\totalcmd.exe\Plugins\Add all' list '\totalcmd.exe\Plugins' \
      >"$work/out.txt" 2>"$work/err.txt" || true
    tr -d '\r' <"$work/err.txt" >"$work/times.txt"
    added=$(tr -d '\r' <"$work/out.txt" | awk -F'\t' '$1 == "Add all" { print $NF }')
    case "$added" in "ADDED! Plugins: "*) break ;; esac
    reset_my
    sleep 1
  done
  case "$added" in "ADDED! Plugins: "*) ;; *)
    echo "add_all: Add all did not run: $added" >&2
    tail -n 20 "$work/out.txt" >&2
    exit 1
  esac
  dialog=$(awk '$1 == "dialog" && $2 == 2 { print $3 }' "$work/times.txt")
  whole=$(awk '$1 == "time" && $2 == 2 { print $3 }' "$work/times.txt")
  add_s=$(least "$(awk -v w="$whole" -v d="$dialog" 'BEGIN { print w - d }')" "$add_s")
  dialog_s=$(least "$dialog" "$dialog_s")
  gap_s=$(most "$(awk '$1 == "progress" && $2 == 2 { print $6 }' "$work/times.txt")" "$gap_s")
  calls=$(awk '$1 == "progress" && $2 == 2 { print $4 }' "$work/times.txt")

  # The floor copies exactly the folders Add all carried over (the first
  # run names them), linked into a tree of their own.
  if [ ! -d "$work/source" ]; then
    for dir in "$root"/my/plugins/*/*/; do
      rel=${dir#"$root/my/plugins/"}
      rel=${rel%/}
      [ "$rel" = wfx/Orvelle ] && continue
      mkdir -p "$work/source/$(dirname "$rel")"
      cp -al "$root/new/plugins/$rel" "$work/source/$rel"
    done
    echo "-- $(find "$work/source" -type f | wc -l) files, $(du -sm "$work/source" | cut -f1) MiB carried over"
  fi
  find "$work/source" -type f -exec cat {} + >/dev/null
  # Each timed program starts after the removal of what it made in the run
  # before (Add all: reset_my), with nothing left to write back: otherwise
  # one pays for the other's half gigabyte.
  rm -rf "$work/floor"
  sync
  out=$(run "$bin/copy_floor_bench.exe" "$(winpath "$work/source")" "$(winpath "$work/floor")" | tr -d '\r')
  floor_s=$(least "$(echo "$out" | awk '$1 == "seconds" { print $2 }')" "$floor_s")
done
stop_new

awk -v a="$add_s" -v o="$dialog_s" -v f="$floor_s" -v g="$gap_s" -v c="$calls" -v r="$repeat" -v d="$added" 'BEGIN {
  printf "floor:         %7.3f s   CopyFileW of the same files (best of %d)\n", f, r
  printf "Add all:       %7.3f s   %s, from the dialog'"'"'s answer on (best of %d)\n", a, d, r
  printf "dialog:        %7.3f s   the Add all dialog opened, read by the harness and answered\n", o
  printf "ratio:         Add all / floor %.2f (goal: at most 1.2)\n", a / f
  printf "progress:      %s calls, longest gap %.3f s (goal: at most 0.1)\n", c, g
}'
