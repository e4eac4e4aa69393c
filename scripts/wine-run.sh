#!/usr/bin/env bash
# wine-run.sh BUILD_DIR PROGRAM [ARGS...]
# Runs a Windows program of the build under Wine, in the build folder's own
# prefix, so that tests never touch a user's prefix. Needs a display for
# message boxes and windows: run under scripts/with-display.sh.
set -euo pipefail
build_dir=$(cd "$1" && pwd); shift
export WINEPREFIX="$build_dir/wineprefix"
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer dialogs when the prefix is made.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree=;mshtml="}
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot --init >/dev/null 2>&1 || true
  wineserver -w || true
fi
exec wine "$@"
