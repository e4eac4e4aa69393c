#!/usr/bin/env bash
# with-display.sh COMMAND [ARGS...]
# Runs the command with an X display: the one already set, or a private Xvfb
# that is stopped afterwards.
set -euo pipefail
if [ -n "${DISPLAY:-}" ]; then exec "$@"; fi
for n in $(seq 90 140); do
  [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || { display=":$n"; break; }
done
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
stop() {
  # Wine's helper processes of this folder's prefixes would outlive the
  # display and complain about it.
  for prefix in "$PWD"/build/*/wineprefix; do
    [ -d "$prefix" ] && WINEPREFIX=$prefix /usr/lib/wine/wineserver -k 2>/dev/null || true
  done
  kill $xvfb_pid 2>/dev/null || true
  wait $xvfb_pid 2>/dev/null || true
}
trap stop EXIT
for _ in $(seq 1 50); do
  [ -e "/tmp/.X11-unix/X${display#:}" ] && break
  sleep 0.1
done
export DISPLAY="$display"
"$@"
