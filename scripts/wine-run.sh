#!/usr/bin/env bash
# wine-run.sh BUILD_DIR BITS PROGRAM [ARGS...]
# Runs a Windows program of the build under Wine, in the build folder's own
# prefix, so that tests never touch a user's prefix. Needs a display for
# message boxes and windows: run under scripts/with-display.sh.
# Exits 77 (a skipped test) when this machine cannot run programs of that
# bitness: Debian's 32-bit Wine loader needs the kernel's 32-bit emulation,
# which some machines switch off.
set -euo pipefail
build_dir=$(cd "$1" && pwd); bits=$2; shift 2
if [ "$bits" = 64 ]; then loader=/usr/lib/wine/wine64; else loader=/usr/lib/wine/wine; fi
if ! "$loader" --version >/dev/null 2>&1; then
  echo "skipped: this machine cannot run $bits-bit Wine ($loader does not start;" \
       "32-bit emulation is off in the kernel)" >&2
  exit 77
fi
export WINELOADER=$loader
export WINEPREFIX="$build_dir/wineprefix"
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer dialogs when the prefix is made.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree=;mshtml="}
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  "$loader" wineboot --init >/dev/null 2>&1 || true
  "$loader" wineserver -w >/dev/null 2>&1 || /usr/lib/wine/wineserver -w || true
fi
# A drive D: of the prefix's own, for the tests of configurations that
# register plugins there ("D:\totalcmd\plugins\..."). The mark tells them
# that the drive is theirs to write; a D: the prefix already had is left alone.
if [ -d "$WINEPREFIX/dosdevices" ] && [ ! -e "$WINEPREFIX/dosdevices/d:" ] &&
   [ ! -L "$WINEPREFIX/dosdevices/d:" ]; then
  mkdir -p "$WINEPREFIX/drive_d" && touch "$WINEPREFIX/drive_d/orvelle-test-drive" &&
    ln -s ../drive_d "$WINEPREFIX/dosdevices/d:" || true
fi
# Windows not managed by a window manager: without one (Xvfb), Wine waits two
# seconds for the manager at every dialog and message box that closes.
if ! grep -q '^"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null; then
  "$loader" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
fi
exec "$loader" "$@"
