#!/usr/bin/env bash
# What each Windows editor costs in memory, under wine64 in a private X
# server: the editor test host (tests/platform/win/EditorTestHost.cpp) makes
# one instance after another and opens its editor; after each, the resident
# memory of the host's process (VmRSS, MB) and the time effEditOpen took.
# Usage: editor-memory-wine.sh HOST.exe MODULE.dll [EDITORS (3)] [WINEPREFIX]
# (the win64 preset builds both: build/win64/tests/platform/editor_test_host.exe,
# build/win64/effect/Ombrisk.dll).
set -uo pipefail
if [ -z "${OMBRISK_MEMORY_INNER:-}" ]; then
  export OMBRISK_MEMORY_INNER=1
  exec xvfb-run -a -s "-screen 0 3000x1200x24" "$0" "$@"
fi
[ $# -ge 2 ] || { echo "usage: editor-memory-wine.sh HOST.exe MODULE.dll [EDITORS] [WINEPREFIX]" >&2; exit 2; }
hostexe="$(realpath -m "$1")"; module="$(realpath -m "$2")"; editors="${3:-3}"
export WINEPREFIX="$(realpath -m "${4:-$(dirname "$hostexe")/../../wineprefix}")"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ -f "$WINEPREFIX/system.reg" ] || { /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1; /usr/lib/wine/wineserver -w; }

coproc HOST { /usr/lib/wine/wine64 "$hostexe" "Z:$module" 2>/dev/null; }
exec {from}<&"${HOST[0]}" {to}>&"${HOST[1]}"
trap '/usr/lib/wine/wineserver -k 2>/dev/null' EXIT
answer() {  # the next line that is not a host callback
  local line
  while read -r -t 120 line <&"$from"; do [[ "$line" == CB* ]] || { echo "$line"; return 0; }; done
  return 1
}
# The host's own process: the largest of those named after it.
resident_mb() {
  local best=0 p kb
  for p in $(pgrep -f "$(basename "$hostexe")"); do
    kb=$(awk '/^VmRSS/ {print $2}' "/proc/$p/status" 2>/dev/null)
    [ "${kb:-0}" -gt "$best" ] && best=$kb
  done
  python3 -c "print(f'{$best / 1024:.1f}')"
}
answer >/dev/null || { echo "the test host did not start" >&2; exit 1; }
echo -e "editors\tresident MB\teffEditOpen ms"
for ((i = 0; i < editors; i++)); do
  echo new >&"$to"; answer >/dev/null
  start=$(date +%s%N)
  echo "open $i" >&"$to"; answer >/dev/null
  took=$(( ($(date +%s%N) - start) / 1000000 ))
  echo "pump 1500" >&"$to"; answer >/dev/null
  echo -e "$((i + 1))\t$(resident_mb)\t$took"
done
echo quit >&"$to"; answer >/dev/null
