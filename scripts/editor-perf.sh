#!/usr/bin/env bash
# What an open editor costs, for any VST2 plug-in with an editor, several
# side by side in one run, each in `ombrisk-host edit` under a private X
# server (Xvfb; GL through Mesa's llvmpipe):
#   - idle CPU with the editor open minus the host's own idle with the plug-in
#     loaded and its editor closed (time on CPU of every thread, from
#     /proc/PID/task/*/schedstat, s/s),
#     and the same for the X server;
#   - wake-ups per second with the editor open (voluntary context switches
#     of every thread of the host);
#   - launch to first frame: from starting the host to its "first-frame"
#     line (the window first shows anything but black), ms;
#   - peak resident memory with one editor (VmHWM), MB;
#   - resident memory each further editor adds (a second run with
#     1 + FURTHER instances, each with its editor open), MB;
#   - resident memory once the editor has closed, and once it has been
#     opened and closed again (what a closed editor leaves resident), MB.
#   - in that second run, the time from effEditOpen to the first frame of a
#     second editor opened beside the first, and of a reopen with no other
#     editor open, against the first open's, ms (what the process keeps of
#     an editor, such as decoded artwork, shows here).
# Each figure is the median of the rounds; the plug-ins' order turns by one
# each round, so none always runs first or last. Drag CPU is not measured
# here (it needs a control's place in each plug-in's window).
#
# With --frames N, what a frame costs instead (the host's `frames` command):
# N idle calls, 25 ms apart, after each of which the host changed one
# parameter (knob: parameter 0 set to 0.3 and 0.7 in turn, so one control
# redraws), exposed the editor's whole window (expose: a full repaint), or
# did nothing (idle: the baseline). Per frame: CPU of the host process
# (every thread, the GL driver's included) and of the X server, each less N
# idle calls' worth, over the frames the server saw presented (DAMAGE events
# after the idle call); and the knob frame's cost over the full repaint's.
# --drag X0,Y0,X1,Y1 drags the pointer in the next plug-in's window before
# it is measured (a corner handle: a larger editor); the plug-in is named
# with its window's size.
# Usage: editor-perf.sh HOST [--seconds N] [--rounds R] [--further K] PLUGIN...
#        editor-perf.sh HOST --frames N [--rounds R] [[--drag X0,Y0,X1,Y1] PLUGIN]...
set -uo pipefail
if [ -z "${OMBRISK_PERF_INNER:-}" ]; then
  export OMBRISK_PERF_INNER=1
  exec xvfb-run -a -s "-screen 0 4200x1600x24" "$0" "$@"
fi

usage() {
  echo "usage: editor-perf.sh HOST [--seconds N] [--rounds R] [--further K] PLUGIN..." >&2
  echo "       editor-perf.sh HOST --frames N [--rounds R] [[--drag X0,Y0,X1,Y1] PLUGIN]..." >&2
  exit 2
}
[ $# -ge 2 ] || usage
host="$(realpath -m "$1")"; shift
seconds=5; rounds=3; further=2; frames=0
plugins=()
drags=()  # one per plug-in, "" for none
drag=""
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) seconds="$2"; shift 2 ;;
    --rounds) rounds="$2"; shift 2 ;;
    --further) further="$2"; shift 2 ;;
    --frames) frames="$2"; shift 2 ;;
    --drag) [[ "${2:-}" =~ ^[0-9]+,[0-9]+,[0-9]+,[0-9]+$ ]] || usage; drag="$2"; shift 2 ;;
    -*) usage ;;
    *) plugins+=("$(realpath -m "$1")"); drags+=("$drag"); drag=""; shift ;;
  esac
done
[ ${#plugins[@]} -ge 1 ] || usage
[ -x "$host" ] || { echo "no host at $host" >&2; exit 2; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
results="$work/results.tsv"
: >"$results"
# Our own X server: the Xvfb serving $DISPLAY (others may run beside it).
xserver=""
for p in $(pgrep -x Xvfb); do
  if tr '\0' ' ' <"/proc/$p/cmdline" 2>/dev/null | grep -q -- " $DISPLAY "; then xserver=$p; fi
done

now_ms() { date +%s%3N; }
# Time on CPU of every thread, in nanoseconds (schedstat: exact, where
# utime and stime count whole clock ticks of 10 ms).
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ n += $1 } END { printf "%d\n", n }'; }
# Voluntary context switches of every thread.
wakeups() { cat /proc/"$1"/task/*/status 2>/dev/null | awk '/^voluntary_ctxt_switches/ { n += $2 } END { print n + 0 }'; }
status_kb() { awk -v k="$2:" '$1 == k { print $2 }' "/proc/$1/status" 2>/dev/null; }

# Reads host lines until one matches; that line is the reply.
reply=""
wait_for() {
  reply=""
  local line
  while IFS= read -r -t "${2:-60}" line <&"${HOST[0]}"; do
    echo "$line" >>"$work/host.log"
    if [[ "$line" =~ $1 ]]; then reply="$line"; return 0; fi
  done
  return 1
}

# CPU (s/s) of the host and of the X server, and the host's wake-ups per
# second, over $seconds: "HOST_CPU X_CPU WAKEUPS".
sample() {
  local pid=$1 c0 x0 w0 c1 x1 w1
  c0=$(cpu_ns "$pid"); w0=$(wakeups "$pid"); x0=$( [ -n "$xserver" ] && cpu_ns "$xserver" || echo nan)
  sleep "$seconds"
  c1=$(cpu_ns "$pid"); w1=$(wakeups "$pid"); x1=$( [ -n "$xserver" ] && cpu_ns "$xserver" || echo nan)
  python3 -c "print(($c1-$c0)/1e9/$seconds, (float('$x1')-float('$x0'))/1e9/$seconds, ($w1-$w0)/$seconds)"
}

# One plug-in, one round: a line of results.tsv.
measure() {
  local name=$1 plugin=$2 start first idle_open idle_closed peak rss_one rss_more rss_closed rss_reclosed
  start=$(now_ms)
  coproc HOST { exec "$host" edit "$plugin" --stdin 2>>"$work/host.err"; }
  local pid=$HOST_PID
  first="nan"
  local first_open="nan" open_re='after-open-ms ([0-9]+)'
  if wait_for "^(first-frame 0|error)" 60 && [[ "$reply" == first-frame* ]]; then
    first=$(( $(now_ms) - start ))
    [[ "$reply" =~ $open_re ]] && first_open=${BASH_REMATCH[1]}
  fi
  sleep 1
  idle_open=$(sample "$pid")
  peak=$(status_kb "$pid" VmHWM); rss_one=$(status_kb "$pid" VmRSS)
  echo "close 0" >&"${HOST[1]}"
  wait_for "^editor 0 closed" 30
  sleep 1
  idle_closed=$(sample "$pid")
  rss_closed=$(status_kb "$pid" VmRSS)
  rss_reclosed="nan"
  echo "open 0" >&"${HOST[1]}"
  if wait_for "^(first-frame 0|error)" 60 && [[ "$reply" == first-frame* ]]; then
    sleep 0.5
    echo "close 0" >&"${HOST[1]}"
    wait_for "^editor 0 closed" 30 && sleep 1 && rss_reclosed=$(status_kb "$pid" VmRSS)
  fi
  echo "quit" >&"${HOST[1]}"
  wait_for "^bye" 30
  wait "$pid" 2>/dev/null
  # The same plug-in with further editors open beside the first.
  rss_more="nan"
  coproc HOST { exec "$host" edit "$plugin" --stdin --instances $((further + 1)) 2>>"$work/host.err"; }
  pid=$HOST_PID
  local seen=0
  while [ $seen -le "$further" ] && wait_for "^(0: )?first-frame |^error" 60 && [[ "$reply" != error* ]]; do
    seen=$((seen + 1))
  done
  if [ $seen -gt "$further" ]; then sleep 1; rss_more=$(status_kb "$pid" VmRSS); fi
  # Open times once the process has shown an editor: a second editor beside
  # the first (closed and opened again while the first stays), then a reopen
  # with no other editor open.
  local beside="nan" alone="nan" ms_re='after-open-ms ([0-9]+)'
  if [ $seen -gt "$further" ] && [ "$further" -ge 1 ]; then
    echo "close 1" >&"${HOST[1]}"
    wait_for "^editor 1 closed" 30 && echo "open 1" >&"${HOST[1]}" &&
      wait_for "^first-frame 1 |^error" 60 && [[ "$reply" =~ $ms_re ]] && beside=${BASH_REMATCH[1]}
    for ((k = 0; k <= further; k++)); do echo "close $k" >&"${HOST[1]}"; wait_for "^editor $k closed" 30; done
    sleep 1
    echo "open 0" >&"${HOST[1]}"
    wait_for "^first-frame 0 |^error" 60 && [[ "$reply" =~ $ms_re ]] && alone=${BASH_REMATCH[1]}
  fi
  echo "quit" >&"${HOST[1]}"
  wait_for "^bye" 30
  wait "$pid" 2>/dev/null
  echo -e "$name\t$first\t$idle_open\t$idle_closed\t${peak:-nan}\t${rss_one:-nan}\t$rss_more\t$first_open\t$beside\t$alone\t${rss_closed:-nan}\t${rss_reclosed:-nan}" >>"$results"
}

# One plug-in, one round of --frames: a line of results.tsv per mode,
# "NAME MODE TICKS PRESENTED DAMAGED_PX HOST_MS X_MS".
measure_frames() {
  local name=$1 plugin=$2 drag=$3 size mode x0 y0 x1 y1
  coproc HOST { exec "$host" edit "$plugin" --stdin 2>>"$work/host.err"; }
  local pid=$HOST_PID
  if ! wait_for "^(first-frame 0|error)" 60 || [[ "$reply" != first-frame* ]]; then
    echo "$name: no first frame" >&2
    kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
    return
  fi
  if [ -n "$drag" ]; then
    IFS=, read -r x0 y0 x1 y1 <<<"$drag"
    xdotool mousemove "$x0" "$y0"; sleep 0.3
    xdotool mousedown 1; sleep 0.3
    xdotool mousemove "$x1" "$y1"; sleep 0.3
    xdotool mouseup 1; sleep 1
  fi
  # The pointer away from every window: no hover, no value readout.
  xdotool mousemove 4190 1590; sleep 1
  echo "where 0" >&"${HOST[1]}"
  wait_for "^where 0 " 30
  size=$(awk '{ print $6 }' <<<"$reply")
  [ -n "$drag" ] && name="$name $size"
  # Warm-up: the driver compiles what these frames draw.
  for mode in knob expose; do
    echo "frames $mode 10" >&"${HOST[1]}"
    wait_for "^(frames|error)" 120
  done
  for mode in idle knob expose; do
    echo "frames $mode $frames" >&"${HOST[1]}"
    if wait_for "^(frames|error)" 600 && [[ "$reply" == frames* ]]; then
      # frames MODE ticks N presented K damaged-px P host-cpu-ms H x-cpu-ms X wall-ms W
      read -r _ m _ ticks _ presented _ damaged _ hostms _ xms _ <<<"$reply"
      echo -e "$name\t$m\t$ticks\t$presented\t$damaged\t$hostms\t$xms" >>"$results"
    else
      echo "$name: frames $mode: ${reply:-no answer}" >&2
    fi
  done
  echo "quit" >&"${HOST[1]}"
  wait_for "^bye" 30
  wait "$pid" 2>/dev/null
}

if [ "$frames" -gt 0 ]; then
  n=${#plugins[@]}
  for ((r = 0; r < rounds; r++)); do
    for ((i = 0; i < n; i++)); do
      k=$(((i + r) % n))
      name="$(basename "${plugins[$k]}" .so)"
      echo "round $((r + 1)): $name${drags[$k]:+ (drag ${drags[$k]})}" >&2
      measure_frames "$name" "${plugins[$k]}" "${drags[$k]}"
    done
  done
  python3 - "$results" "$frames" "$rounds" <<'EOF'
import math, statistics, sys
path, frames, rounds = sys.argv[1], sys.argv[2], sys.argv[3]
runs = {}   # name -> one {mode: (ticks, presented, damaged, host, x)} per round
order = []
for line in open(path):
    name, mode, ticks, presented, damaged, host, x = line.rstrip("\n").split("\t")
    if name not in runs:
        runs[name] = []
        order.append(name)
    if mode == "idle":
        runs[name].append({})
    if runs[name]:
        runs[name][-1][mode] = (int(ticks), int(presented), int(damaged), float(host), float(x))
def per_round(name):
    out = []
    for r in runs[name]:
        if not all(m in r for m in ("idle", "knob", "expose")):
            continue
        it, _, _, ih, ix = r["idle"]
        row = {"idle_host": ih / it}
        for m in ("knob", "expose"):
            t, p, d, h, x = r[m]
            row[m + "_presented"] = f"{p}/{t}"
            row[m + "_px"] = d / p if p else math.nan
            # Less the idle calls' own cost, over the frames presented.
            row[m + "_host"] = (h - ih / it * t) / p if p else math.nan
            row[m + "_x"] = (x - ix / it * t) / p if p else math.nan
        row["ratio_host"] = row["knob_host"] / row["expose_host"]
        row["ratio_all"] = (row["knob_host"] + row["knob_x"]) / (row["expose_host"] + row["expose_x"])
        out.append(row)
    return out
rows = {name: per_round(name) for name in order}
def cell(name, key, fmt):
    if key.endswith("_presented"):
        return ", ".join(r[key] for r in rows[name]) or "—"
    if key.endswith("_rounds"):
        return ", ".join(fmt.format(r[key[:-len("_rounds")]]) for r in rows[name]) or "—"
    v = [r[key] for r in rows[name] if not math.isnan(r[key])]
    return fmt.format(statistics.median(v)) if v else "—"
metrics = [
    ("frames presented / idle calls, knob (each round)", "knob_presented", ""),
    ("frames presented / idle calls, full repaint (each round)", "expose_presented", ""),
    ("damaged pixels per frame, knob", "knob_px", "{:.0f}"),
    ("damaged pixels per frame, full repaint", "expose_px", "{:.0f}"),
    ("host CPU per idle call, nothing changed (ms)", "idle_host", "{:.3f}"),
    ("host CPU per frame, knob (ms)", "knob_host", "{:.2f}"),
    ("host CPU per frame, full repaint (ms)", "expose_host", "{:.2f}"),
    ("X server CPU per frame, knob (ms)", "knob_x", "{:.2f}"),
    ("X server CPU per frame, full repaint (ms)", "expose_x", "{:.2f}"),
    ("knob / full repaint, host", "ratio_host", "{:.3f}"),
    ("knob / full repaint, host + X server", "ratio_all", "{:.3f}"),
    ("knob / full repaint, host + X server (each round)", "ratio_all_rounds", "{:.3f}"),
]
print(f"medians of {rounds} round(s), {frames} idle calls per mode; per-frame figures less the idle calls' own cost")
print("| | " + " | ".join(order) + " |")
print("|---|" + "---|" * len(order))
for label, key, fmt in metrics:
    print(f"| {label} | " + " | ".join(cell(name, key, fmt) for name in order) + " |")
EOF
  exit 0
fi

n=${#plugins[@]}
for ((r = 0; r < rounds; r++)); do
  for ((i = 0; i < n; i++)); do
    plugin="${plugins[$(((i + r) % n))]}"
    name="$(basename "$plugin" .so)"
    echo "round $((r + 1)): $name" >&2
    measure "$name" "$plugin"
  done
done

python3 - "$results" "$further" "$seconds" "$rounds" <<'EOF'
import math, statistics, sys
path, further, seconds, rounds = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4]
rows = {}
order = []
for line in open(path):
    f = line.rstrip("\n").split("\t")
    name = f[0]
    if name not in rows:
        rows[name] = []
        order.append(name)
    num = lambda t: float(t) if t not in ("", "nan") else math.nan
    first = num(f[1])
    open_cpu, open_x, open_w = (num(t) for t in f[2].split())
    closed_cpu, closed_x, closed_w = (num(t) for t in f[3].split())
    peak, one, more = num(f[4]), num(f[5]), num(f[6])
    first_open, beside, alone = num(f[7]), num(f[8]), num(f[9])
    closed, reclosed = num(f[10]), num(f[11])
    rows[name].append({
        "idle": open_cpu - closed_cpu, "xidle": open_x - closed_x, "wake": open_w, "hostwake": closed_w,
        "first": first, "peak": peak / 1024, "further": (more - one) / 1024 / further if further else math.nan,
        "open1": first_open, "beside": beside, "alone": alone,
        "besideratio": beside / first_open, "aloneratio": alone / first_open,
        "closed": closed / 1024, "reclosed": reclosed / 1024,
    })
def med(name, key):
    v = [r[key] for r in rows[name] if not math.isnan(r[key])]
    return statistics.median(v) if v else math.nan
metrics = [
    ("idle CPU, editor open minus host idle (s/s)", "idle", "{:.5f}"),
    ("X server CPU, editor open minus host idle (s/s)", "xidle", "{:.5f}"),
    ("wake-ups per second, editor open", "wake", "{:.0f}"),
    ("wake-ups per second, host alone (editor closed)", "hostwake", "{:.0f}"),
    ("launch to first frame (ms)", "first", "{:.0f}"),
    ("peak RSS, one editor (MB)", "peak", "{:.0f}"),
    ("each further editor (MB)", "further", "{:.1f}"),
    ("resident, editor closed (MB)", "closed", "{:.0f}"),
    ("resident, editor opened and closed again (MB)", "reclosed", "{:.0f}"),
    ("first open, effEditOpen to first frame (ms)", "open1", "{:.0f}"),
    ("second editor beside the first (ms)", "beside", "{:.0f}"),
    ("second editor / first open", "besideratio", "{:.2f}"),
    ("reopen, no other editor open (ms)", "alone", "{:.0f}"),
    ("reopen / first open", "aloneratio", "{:.2f}"),
]
print(f"medians of {rounds} round(s), {seconds} s per CPU sample, {further} further editor(s)")
print("| | " + " | ".join(order) + " |")
print("|---|" + "---|" * len(order))
for label, key, fmt in metrics:
    cells = []
    for name in order:
        v = med(name, key)
        cells.append("—" if math.isnan(v) else fmt.format(v))
    print(f"| {label} | " + " | ".join(cells) + " |")
EOF
