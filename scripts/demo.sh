#!/usr/bin/env bash
# The demo: builds ombrisk-host and the Ombrisk plug-in, synthesises a short
# test program (drum-like transients, a bass line, a sine sweep), runs it
# through the plug-in at its default settings and at a hot setting, prints the
# level figures and draws input against output, and the static input/output
# curve, with gnuplot.
#
#   scripts/demo.sh                      Ombrisk at default and hot settings
#   scripts/demo.sh --plugin PATH --hot NAME=VALUE [--hot NAME=VALUE]...
#                                        any other VST2 plug-in (hot = the
#                                        parameter texts of the hot setting)
#   --out DIR     where the WAV, text and PNG files go (default build/demo)
#   --no-build    use what is already built
#   --build-dir DIR   a build tree of the linux preset's kind (default build/linux)
#
# It also draws the plug-in's editor page off-screen with ombrisk-editor-render
# (EGL, no window): ombrisk-editor.png at the editor's opening scale 0.5 with
# the default settings, ombrisk-editor-turned.png at scale 1.0 with the
# knobs turned, and ombrisk-editor-readout.png at scale 0.5 with the pointer
# resting on a turned Input Gain knob, which shows its value readout.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/linux"
out="$root/build/demo"
plugin=""
build_first=1
hot=()
default_hot=("Input Gain=180" "Wet=100")

while (($#)); do
  case "$1" in
    --plugin) plugin="$2"; shift 2 ;;
    --hot) hot+=("$2"); shift 2 ;;
    --out) out="$2"; shift 2 ;;
    --no-build) build_first=0; shift ;;
    --build-dir) build="$(cd "$2" && pwd)"; shift 2 ;;
    -h|--help) sed -n '2,21p' "$0"; exit 0 ;;
    *) echo "demo: unknown argument $1 (see --help)" >&2; exit 2 ;;
  esac
done

if ((build_first)); then
  echo "== building (preset linux)"
  cmake --preset linux >/dev/null
  cmake --build --preset linux -j2 --target ombrisk-host ombrisk-editor-render
  if [ -z "$plugin" ]; then
    if cmake --build --preset linux --target help 2>/dev/null | grep -q '^Ombrisk:'; then
      cmake --build --preset linux -j2 --target Ombrisk
    fi
  fi
fi

host="$build/host/ombrisk-host"
if [ ! -x "$host" ]; then
  echo "demo: $host is missing: build it with 'cmake --preset linux && cmake --build --preset linux --target ombrisk-host'" >&2
  exit 1
fi

if [ -z "$plugin" ]; then
  plugin="$build/effect/Ombrisk.so"
  if [ ! -f "$plugin" ]; then
    echo "demo: the Ombrisk plug-in is not built: $plugin does not exist." >&2
    echo "demo: it is the CMake target 'Ombrisk' (effect/CMakeLists.txt); build it with" >&2
    echo "demo:   cmake --build --preset linux --target Ombrisk" >&2
    echo "demo: or run the demo on another plug-in, e.g." >&2
    echo "demo:   scripts/demo.sh --plugin $build/tests/host/plugins/ombrisk-testfx.so --hot Gain=180" >&2
    exit 1
  fi
  ((${#hot[@]})) || hot=("${default_hot[@]}")
fi
if ! command -v gnuplot >/dev/null; then
  echo "demo: gnuplot is missing: run scripts/install-deps.sh" >&2
  exit 1
fi

mkdir -p "$out"
hot_args=()
for setting in "${hot[@]}"; do hot_args+=(--param "$setting"); done

echo "== plug-in"
"$host" info "$plugin" | sed -n '1,12p'

echo "== test program"
"$host" synth "$out/test-program.wav" --seconds 9 --rate 44100

echo "== default settings"
"$host" process "$plugin" "$out/test-program.wav" "$out/output-default.wav"
echo "== hot setting: ${hot[*]:-(none)}"
"$host" process "$plugin" "$out/test-program.wav" "$out/output-hot.wav" "${hot_args[@]}"

"$host" curve "$plugin" "$out/curve-default.txt"
"$host" curve "$plugin" "$out/curve-hot.txt" "${hot_args[@]}"
# A stretch of drums and bass, and a stretch of the sweep, for the waveform panels.
for name in test-program output-default output-hot; do
  "$host" dump "$out/$name.wav" "$out/$name-drums.txt" --from 0.95 --to 1.45
  "$host" dump "$out/$name.wav" "$out/$name-sweep.txt" --from 7.7 --to 7.705
done

label="$(basename "$plugin")"
gnuplot <<EOF
set terminal pngcairo size 1400,1000 font "DejaVu Sans,10"
set output "$out/ombrisk-demo.png"
set multiplot layout 2,2 title "$label: test program in, processed out"
set grid
set key top right
set xlabel "time (s)"
set ylabel "amplitude"
set yrange [-1.1:1.1]
set title "drums and bass, left channel"
plot "$out/test-program-drums.txt" using 1:2 with lines lw 1 lc rgb "#999999" title "input", \
     "$out/output-default-drums.txt" using 1:2 with lines lw 1 lc rgb "#1f77b4" title "default", \
     "$out/output-hot-drums.txt" using 1:2 with lines lw 1 lc rgb "#d62728" title "hot"
set title "sine sweep at 1 kHz, left channel"
plot "$out/test-program-sweep.txt" using 1:2 with lines lw 1.5 lc rgb "#999999" title "input", \
     "$out/output-default-sweep.txt" using 1:2 with lines lw 1.5 lc rgb "#1f77b4" title "default", \
     "$out/output-hot-sweep.txt" using 1:2 with lines lw 1.5 lc rgb "#d62728" title "hot"
set title "input/output curve: a 100 Hz sine rising to +6 dBFS"
set xlabel "input sample"
set ylabel "output sample"
set xrange [-2:2]
set yrange [-1.2:1.2]
set size ratio 0
plot "$out/curve-default.txt" using 1:2 with dots lc rgb "#1f77b4" title "default", \
     "$out/curve-hot.txt" using 1:2 with dots lc rgb "#d62728" title "hot", \
     x with lines dt 2 lc rgb "#999999" title "unity"
set title "whole program, left channel"
set xlabel "time (s)"
set ylabel "amplitude"
set autoscale x
set yrange [-1.1:1.1]
plot "< '$host' dump '$out/test-program.wav' /dev/stdout" every 20 using 1:2 with lines lc rgb "#999999" title "input", \
     "< '$host' dump '$out/output-hot.wav' /dev/stdout" every 20 using 1:2 with lines lc rgb "#d62728" title "hot"
unset multiplot
EOF

echo "== editor page"
render="$build/tools/editor-render/ombrisk-editor-render"
if [ -x "$render" ]; then
  "$render" "$out/ombrisk-editor.png" --scale 0.5
  "$render" "$out/ombrisk-editor-turned.png" --scale 1.0 \
    --param "Input Gain=0.85" --param "Tame=0.2" --param "Output Gain=0.65" --param "Wet=1" \
    --param "Bias=0.3" --param "React=1" --param "Bypass=1"
  "$render" "$out/ombrisk-editor-readout.png" --scale 0.5 --param "Input Gain=0.85" --hover "Input Gain"
else
  echo "demo: $render is missing; build it with 'cmake --build --preset linux --target ombrisk-editor-render'" >&2
fi

echo "== files in $out"
ls -1 "$out"/*.wav "$out"/*.png
