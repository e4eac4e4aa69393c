#!/usr/bin/env bash
# Runs the tests of both builds; fails when either fails.
set -uo pipefail
cd "$(dirname "$0")/.."

# CTest counts a test program as one test, passed even when some of its
# GoogleTest cases skipped themselves (a 32-bit case on a machine that runs no
# 32-bit programs, the other build missing): list those with their reasons,
# so that a case that did not run is seen.
skipped_cases() {
  local log="build/$1/Testing/Temporary/LastTest.log"
  [ -f "$log" ] || return 0
  awk '/: Skipped$/ { reason = ""; getline reason; next }
       /^\[  SKIPPED \] [^ ]+ \(/ { print "  skipped in " bits ": " $4 (reason == "" ? "" : " (" reason ")"); reason = "" }' \
      bits="$1-bit build" "$log" | sort -u
}

status=0
for bits in 32 64; do
  echo "== $bits-bit build"
  (cd "build/$bits" && ctest --output-on-failure --timeout 1200) || status=1
  skipped_cases "$bits"
done
exit $status
