#!/usr/bin/env bash
# What a frame of the Windows editor costs under wine64 in a private X
# server (GL on Mesa llvmpipe): the test host opens one editor and runs
# `frames 0 MODE N` for idle, knob and expose in turn, ROUNDS times, and
# prints each answer (process CPU over N rounds 25 ms apart, paints seen),
# then per mode the median CPU per paint less idle's per round, and the
# knob frame's over the whole repaint's.
# Usage: editor-frames-wine.sh WINEPREFIX HOST.exe MODULE.dll [N] [ROUNDS]
set -uo pipefail
if [ -z "${OMBRISK_FRAMES_INNER:-}" ]; then
  export OMBRISK_FRAMES_INNER=1
  exec xvfb-run -a -s "-screen 0 1920x1080x24" "$0" "$@"
fi
prefix="$(realpath -m "$1")"; hostexe="$2"; module="$(realpath -m "$3")"; n="${4:-200}"; rounds="${5:-3}"
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# One command at a time, each after the answer to the last: a queued
# command would keep the editor's paints (the lowest of messages) waiting.
coproc HOST { /usr/lib/wine/wine64 "$hostexe" "Z:$module" 2>/dev/null; }
host_pid=$HOST_PID
trap 'kill $host_pid 2>/dev/null; /usr/lib/wine/wineserver -k 2>/dev/null' EXIT
ask() {
  echo "$1" >&"${HOST[1]}"
  local line
  while IFS= read -r -t 120 line <&"${HOST[0]}"; do
    line="${line%$'\r'}"
    case "$line" in CB\ * | READY) ;; *) echo "$line"; return 0 ;; esac
  done
  return 1
}
answers="$(mktemp)"
ask new >>"$answers"; ask "open 0" >>"$answers"; ask "pump 1500" >>"$answers"; ask "pixelformat 0" >>"$answers"
for _ in $(seq "$rounds"); do
  for mode in idle knob expose; do ask "frames 0 $mode $n" >>"$answers"; done
done
ask quit >>"$answers"
cat "$answers"
python3 -c '
import statistics, sys
runs = {}
for line in sys.stdin:
    f = line.split()
    if f and f[0] == "FRAMES":
        runs.setdefault(f[1], []).append((int(f[2]), int(f[4]), int(f[6])))
idle = statistics.median(c / n for n, c, p in runs.get("idle", [(1, 0, 0)]))
cost = {}
for mode in ("knob", "expose"):
    per = [(c - idle * n) / max(p, 1) for n, c, p in runs.get(mode, [])]
    if per:
        cost[mode] = statistics.median(per)
        print("%s: %.0f us of host CPU per paint (idle %.0f us per round taken out)" % (mode, cost[mode], idle))
if "knob" in cost and "expose" in cost and cost["expose"] > 0:
    print("knob / expose: %.2f" % (cost["knob"] / cost["expose"]))
' <"$answers"
rm -f "$answers"
