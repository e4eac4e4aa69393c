#!/usr/bin/env bash
# Runs the tests of both builds; fails when either fails.
set -uo pipefail
cd "$(dirname "$0")/.."
status=0
for bits in 32 64; do
  echo "== $bits-bit build"
  (cd "build/$bits" && ctest --output-on-failure --timeout 1200) || status=1
done
exit $status
