#!/usr/bin/env bash
# Runs a Windows test program under wine64: wine-run.sh PREFIX_DIR PROGRAM [ARGS...]
# The prefix lives under the build tree and is created by the first run; a lock
# keeps parallel tests from creating it twice. Without a display, a private
# Xvfb server is started so that window and OpenGL tests have one.
set -euo pipefail
prefix="$1"; shift
exe="$1"; shift
export WINEPREFIX="$prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX"
(
  flock 9
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1 || true
    /usr/lib/wine/wineserver -w || true
  fi
) 9>"$WINEPREFIX.lock"
if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
  exec xvfb-run -a -s "-screen 0 1920x1080x24" /usr/lib/wine/wine64 "$exe" "$@"
fi
exec /usr/lib/wine/wine64 "$exe" "$@"
