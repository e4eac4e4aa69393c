#!/usr/bin/env bash
# Runs every benchmark (bench/*.sh but this one) against the 64-bit build and
# prints its figures. Data is made on the fly under build/64/bench and removed.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build build/64 -j2 --target benchmarks >/dev/null
for script in bench/*.sh; do
  [ "$(basename "$script")" = run.sh ] && continue
  echo "== $(basename "$script" .sh)"
  bash "$script"
done
