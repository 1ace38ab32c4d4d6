#!/usr/bin/env bash
# The editor end to end under wine64 in a private X server: the test host
# loads the 64-bit module and drives it through the VST2 interface while this
# script moves the real X pointer (xdotool) and captures what GL drew (xwd of
# the offscreen X window Wine makes for the editor's GL surface).
# Usage: editor-e2e.sh WINEPREFIX HOST.exe MODULE.dll OUTDIR [PAGE_RENDER.exe]
# Prints one line per check and exits non-zero when any fails.
set -uo pipefail
if [ -z "${OMBRISK_E2E_INNER:-}" ]; then
  export OMBRISK_E2E_INNER=1
  exec xvfb-run -a -s "-screen 0 1920x1080x24" "$0" "$@"
fi

prefix="$(realpath -m "$1")"; hostexe="$2"; module="$(realpath -m "$3")"; out="$(realpath -m "$4")"; render="${5:-}"
here="$(cd "$(dirname "$0")" && pwd)"
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX" "$out"
(
  flock 9
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1 || true
    /usr/lib/wine/wineserver -w || true
  fi
) 9>"$WINEPREFIX.lock"

failures=0
ok() { echo "ok   $*"; }
fail() { echo "FAIL $*"; failures=$((failures + 1)); }
check() { if eval "$2"; then ok "$1"; else fail "$1 ($2)"; fi; }

cb="$out/callbacks.log"
: >"$cb"
coproc HOST { /usr/lib/wine/wine64 "$hostexe" "Z:$module" 2>"$out/host.err"; }
host_pid=$HOST_PID
trap 'kill $host_pid 2>/dev/null; /usr/lib/wine/wineserver -k 2>/dev/null' EXIT

# Reads host lines until the answer (a line that is not a callback); host
# callbacks go to the log. Empty answer when the host stopped or hung.
reply=""
read_answer() {
  reply=""
  local line
  while IFS= read -r -t "${1:-60}" line <&"${HOST[0]}"; do
    line="${line%$'\r'}"
    case "$line" in
      CB\ *) echo "$line" >>"$cb" ;;
      *) reply="$line"; return 0 ;;
    esac
  done
  return 1
}
cmd() {
  echo "$1" >&"${HOST[1]}"
  read_answer "${2:-60}"
  echo "> $1 -> $reply" >>"$out/session.log"
}
mark() { wc -l <"$cb"; }
since() { tail -n +"$(($1 + 1))" "$cb"; }

# Wine's offscreen window for GL in the editor child of the given size: a
# 1x1 window at -1,-1 whose child has the editor's size.
gl_windows() {
  xwininfo -root -tree | tee "$out/tree.txt" | awk -v size="$1" '
    /^     0x/ { parent = ($0 ~ /1x1\+-1\+-1/); next }
    parent && $0 ~ (" " size "\\+0\\+0") { print $1 }'
}
capture() {  # capture NAME WINDOW_ID -> $out/NAME.png
  xwd -id "$2" -out "$out/$1.xwd" 2>/dev/null && python3 "$here/xwd2png.py" "$out/$1.xwd" "$out/$1.png"
}
region_diff() {  # region_diff A.xwd B.xwd X Y W H -> mean absolute channel difference
  python3 "$here/xwd2png.py" --diff "$out/$1.xwd" "$out/$2.xwd" "$3" "$4" "$5" "$6"
}

read_answer 120
check "test host starts" '[ "$reply" = READY ]'

cmd "new"
check "an instance is made" '[ "$reply" = "NEW 0" ]'
cmd "count"
baseline="$reply"
cmd "open 0"
read -r _ _ opened _ _ _ _ wx wy ww wh <<<"$reply"
check "effEditOpen answers 1" '[ "${opened:-0}" = 1 ]'
check "the editor window is 815 x 505" '[ "${ww:-0}x${wh:-0}" = 815x505 ]'
cmd "pump 1500"
ids=($(gl_windows 815x505))
check "Wine made one GL surface of the editor's size" '[ ${#ids[@]} = 1 ]'
gl="${ids[0]:-0}"
capture opened "$gl"
mean=$(python3 "$here/xwd2png.py" --mean "$out/opened.xwd")
check "the page is drawn (not black)" 'python3 -c "import sys; sys.exit(0 if $mean > 10 else 1)"'
if [ -n "$render" ]; then
  /usr/lib/wine/wine64 "$render" "Z:$out/headless.png" --scale 0.5 >/dev/null 2>"$out/render.err"
  similar=$(python3 "$here/xwd2png.py" --compare-png "$out/opened.png" "$out/headless.png")
  check "the window matches the headless render of the page (mean difference $similar)" \
    'python3 -c "import sys; sys.exit(0 if $similar < 4.0 else 1)"'
fi

# Idle: nothing changes, nothing is painted.
cmd "paints"
cmd "pump 5000" 90
cmd "paints"
check "an idle editor paints nothing in 5 s (${reply#PAINTS })" '[ "$reply" = "PAINTS 0" ]'

# Input Gain (parameter 0): drag its highlight upward with the real mouse.
kx=$((wx + 96)); ky=$((wy + 132))
cmd "get 0 0"; before=${reply##* }
m=$(mark)
xdotool mousemove "$kx" "$ky"; sleep 0.2
xdotool mousedown 1; sleep 0.2
for step in 1 2 3 4 5 6 7 8; do xdotool mousemove_relative -- 0 -6; sleep 0.05; done
cmd "pump 300"
cmd "get 0 0"; held=${reply##* }
capture dragging "$gl"
# Host automation while the user holds the knob does not move it.
cmd "set 0 0 0.05"
cmd "pump 300"
capture holding "$gl"
xdotool mouseup 1; sleep 0.2
cmd "pump 300"
cmd "get 0 0"; after=${reply##* }
since "$m" >"$out/drag.log"
check "the drag began a gesture on Input Gain" 'grep -q "^CB BeginEdit 0 0$" "$out/drag.log"'
check "the drag ended the gesture" 'grep -q "^CB EndEdit 0 0$" "$out/drag.log"'
check "automation values rose during the drag" \
  'grep "^CB Automate 0 0 " "$out/drag.log" | awk "{print \$5}" | awk "NR>1 && \$1<prev {bad=1} {prev=\$1; n++} END {exit (n>=2 && !bad) ? 0 : 1}"'
check "getParameter followed the drag ($before -> $held)" \
  'python3 -c "import sys; sys.exit(0 if $held > $before else 1)"'
capture dragged "$gl"
turned=$(region_diff opened dragging 60 95 75 75)
check "the knob's pixels turned ($turned % changed)" 'python3 -c "import sys; sys.exit(0 if $turned > 0.3 else 1)"'
still=$(region_diff dragging holding 60 95 75 75)
check "a host value did not move the held knob ($still % changed)" 'python3 -c "import sys; sys.exit(0 if $still == 0 else 1)"'

# A host value from another thread redraws the knob within a few frames.
cmd "set 0 0 0.9"
cmd "pump 200"
capture hostset "$gl"
moved=$(region_diff dragged hostset 60 95 75 75)
check "a host setParameter redrew the knob ($moved % changed)" 'python3 -c "import sys; sys.exit(0 if $moved > 0.3 else 1)"'

# Presenting part of the page: what the system grants (kept in
# swapformats.txt), and a frame of one knob gives exactly the pixels a
# whole present of the same state gives (an expose: the whole window to paint).
cmd "swapformats"
echo "$reply" >"$out/swapformats.txt"
cmd "pixelformat 0"
pf="$reply"
echo "$pf" >>"$out/swapformats.txt"
check "the editor's window has a pixel format ($pf)" '[[ "$pf" =~ ^PIXELFORMAT\ [1-9] ]]'
capture beforeknob "$gl"
cmd "set 0 5 0.1"
cmd "pump 300"
capture knobframe "$gl"
cmd "expose 0"
cmd "pump 300"
capture knobwhole "$gl"
knob=$(python3 "$here/xwd2png.py" --differing "$out/beforeknob.xwd" "$out/knobwhole.xwd")
differing=$(python3 "$here/xwd2png.py" --differing "$out/knobframe.xwd" "$out/knobwhole.xwd")
check "the knob's frame changed pixels ($knob)" '[ "$knob" -gt 100 ]'
check "a frame of one knob ($pf) gives the pixels of a whole present ($differing differ)" '[ "$differing" = 0 ]'
# Where WGL_ARB_pixel_format offers a copying format like the system's
# choice (Wine does), the editor's window has one, so that frame was partial.
if grep -q " arbmethods .* copy [1-9]" "$out/swapformats.txt"; then
  check "the editor's pixel format copies by WGL_ARB_pixel_format ($pf)" '[[ "$pf" == *" arbmethod 0x2029" ]]'
fi

# The flip switch toggles Bypass (parameter 4) and the lamp.
cmd "get 0 4"; bypass0=${reply##* }
capture beforeflip "$gl"
m=$(mark)
xdotool mousemove "$((wx + 677))" "$((wy + 195))" click 1; sleep 0.3
cmd "pump 300"
cmd "get 0 4"; bypass1=${reply##* }
capture afterflip "$gl"
check "a click on the flip switch toggled Bypass ($bypass0 -> $bypass1)" '[ "$bypass0" != "$bypass1" ]'
lamp=$(region_diff beforeflip afterflip 412 0 403 505)
check "the lamp changed with Bypass ($lamp % changed)" 'python3 -c "import sys; sys.exit(0 if $lamp > 0.3 else 1)"'

# A right click changes nothing.
cmd "get 0 0"; r0=${reply##* }
m=$(mark)
xdotool mousemove "$kx" "$ky" click 3; sleep 0.3
cmd "pump 300"
cmd "get 0 0"; r1=${reply##* }
check "a right click changed nothing" '[ "$r0" = "$r1" ] && ! since "$m" | grep -q "Automate 0 0"'

# A wheel notch turns the knob by 0.01.
cmd "get 0 0"; w0=${reply##* }
xdotool mousemove "$kx" "$ky" click 4; sleep 0.3
cmd "pump 300"
cmd "get 0 0"; w1=${reply##* }
check "a wheel notch turned the knob by 0.01 ($w0 -> $w1)" \
  'python3 -c "import sys; sys.exit(0 if abs(abs($w1 - $w0) - 0.01) < 0.002 else 1)"'

# A double click resets the knob to its default.
xdotool mousemove "$kx" "$ky" click --repeat 2 --delay 80 1; sleep 0.3
cmd "pump 300"
cmd "get 0 0"; d1=${reply##* }
check "a double click reset Input Gain ($d1)" 'python3 -c "import sys; sys.exit(0 if abs($d1 - 0.5) < 0.02 or abs($d1 - $before) < 0.002 else 1)"'

# A middle click reaches nothing: the left click after it flips the switch
# as any left click does, and every gesture begun is ended.
cmd "get 0 4"; mb0=${reply##* }
m=$(mark)
xdotool mousemove "$((wx + 677))" "$((wy + 195))" click 2; sleep 0.3
cmd "pump 300"
cmd "get 0 4"; mb1=${reply##* }
xdotool mousemove "$((wx + 677))" "$((wy + 195))" click 1; sleep 0.3
cmd "pump 300"
cmd "get 0 4"; mb2=${reply##* }
begins=$(since "$m" | grep -c "^CB BeginEdit 0 " || true)
ends=$(since "$m" | grep -c "^CB EndEdit 0 " || true)
check "a middle click changed nothing ($mb0 -> $mb1)" '[ "$mb0" = "$mb1" ]'
check "the left click after it toggled Bypass ($mb1 -> $mb2)" '[ "$mb1" != "$mb2" ]'
check "gestures balance ($begins begun, $ends ended)" '[ "$begins" -ge 1 ] && [ "$begins" = "$ends" ]'

# The host draws with GL too: its context is current on its thread, with
# objects of its own, through idle, the corner drag and its redraws.
cmd "hostgl 0"
check "the host made a GL context with objects" '[ "$reply" = "HOSTGL made" ]'
cmd "pump 500"
cmd "hostglcheck 0"
check "the host's context and objects survive idle ($reply)" '[ "$reply" = "HOSTGL current 1 alive 1" ]'

# The corner handle rescales the page and asks the host to resize.
m=$(mark)
xdotool mousemove "$((wx + 810))" "$((wy + 500))"; sleep 0.2
xdotool mousedown 1; sleep 0.2
for step in 1 2 3 4 5 6; do xdotool mousemove_relative -- 15 10; sleep 0.05; done
xdotool mouseup 1; sleep 0.3
cmd "pump 500"
cmd "where 0"
read -r _ _ _ _ rw rh <<<"$reply"
check "the corner drag asked the host to resize" 'since "$m" | grep -q "^CB SizeWindow 0 "'
check "the editor grew (${rw}x${rh})" '[ "${rw:-0}" -gt 815 ] && [ "${rh:-0}" -gt 505 ]'
cmd "hostglcheck 0"
check "the host's context and objects survive the resize ($reply)" '[ "$reply" = "HOSTGL current 1 alive 1" ]'
ids=($(gl_windows "${rw}x${rh}"))
capture resized "${ids[0]:-0}"
mean=$(python3 "$here/xwd2png.py" --mean "$out/resized.xwd" 2>/dev/null || echo 0)
check "the page is drawn after the resize (not black, mean $mean)" 'python3 -c "import sys; sys.exit(0 if $mean > 10 else 1)"'
cmd "close 0"
check "effEditClose answers 1 and the child is gone" '[ "$reply" = "CLOSE 0 1 child 0" ]'
cmd "hostglcheck 0"
check "the host's context and objects survive the close ($reply)" '[ "$reply" = "HOSTGL current 1 alive 1" ]'
cmd "open 0"
read -r _ _ _ _ _ _ _ _ _ ow oh <<<"$reply"
check "reopening restores the size ($ow x $oh)" '[ "$ow" = "$rw" ] && [ "$oh" = "$rh" ]'

# Two instances at once; closing one leaves the other drawing.
cmd "new"
cmd "open 1"
read -r _ _ opened1 _ _ _ _ w1x w1y w1w w1h <<<"$reply"
check "a second instance's editor opens beside the first" '[ "${opened1:-0}" = 1 ]'
cmd "pump 500"
cmd "close 0"
ids=($(gl_windows 815x505))
check "the second editor's GL surface is there" '[ ${#ids[@]} -ge 1 ]'
gl1="${ids[0]:-0}"
capture second-before "$gl1"
if [ -n "$render" ]; then
  # Its artwork is the share group's, uploaded by the editor just closed.
  similar=$(python3 "$here/xwd2png.py" --compare-png "$out/second-before.png" "$out/headless.png")
  check "the second editor, on the first one's shared textures, matches the headless render (mean difference $similar)" \
    'python3 -c "import sys; sys.exit(0 if $similar < 4.0 else 1)"'
fi
cmd "set 1 5 0.95"
cmd "pump 300"
capture second-after "$gl1"
other=$(region_diff second-before second-after 430 290 90 90)
check "the remaining editor still draws ($other % changed)" 'python3 -c "import sys; sys.exit(0 if $other > 0.3 else 1)"'
cmd "close 1"

# A parent that is not a window: no editor, no crash.
cmd "badopen 0"
check "effEditOpen with a bad parent answers 0" '[ "$reply" = "BADOPEN 0 0 0" ]'

# 100 open/close cycles leak no windows, GDI objects or GL contexts.
cmd "open 0"; cmd "pump 200"; cmd "close 0"
cmd "count"; first="$reply"
cmd "cycles 0 100" 600
check "100 open/close cycles opened 100 editors" '[ "$reply" = "CYCLES 0 100" ]'
cmd "count"; last="$reply"
echo "counts: baseline [$baseline] after one [$first] after 100 [$last]" >>"$out/session.log"
read -r _ _ wins1 _ gdi1 _ gl1n _ _ <<<"$first"
read -r _ _ wins2 _ gdi2 _ gl2n _ class2 <<<"$last"
check "no windows leaked ($wins1 -> $wins2)" '[ "$wins1" = "$wins2" ]'
check "no GDI objects leaked ($gdi1 -> $gdi2)" '[ "$gdi2" -le "$((gdi1 + 2))" ]'
check "no GL contexts leaked (largest index $gl1n -> $gl2n)" '[ "$gl2n" -le "$((gl1n + 2))" ]'
check "the window class is unregistered after the last close" '[ "$class2" = 0 ]'

cmd "quit"
check "the host ends cleanly" '[ "$reply" = BYE ]'
wait "$host_pid" 2>/dev/null
grep -q CRASH "$out/session.log" && fail "the host reported a crash"
echo "end-to-end: $failures failed"
[ "$failures" = 0 ]
