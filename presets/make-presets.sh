#!/usr/bin/env bash
# Writes the factory presets shipped with Ombrisk as VST2 preset files (.fxp)
# with ombrisk-host, from the settings below. The .fxp files in this folder
# are its output; a test regenerates them and compares.
#
#   presets/make-presets.sh OMBRISK-HOST PLUGIN OUTDIR
set -euo pipefail
if (($# != 3)); then
  echo "usage: $0 OMBRISK-HOST PLUGIN OUTDIR" >&2
  exit 2
fi
host="$1" plugin="$2" out="$3"
mkdir -p "$out"

save() {
  local file="$1" name="$2"
  shift 2
  local args=()
  for setting in "$@"; do args+=(--param "$setting"); done
  "$host" preset save "$plugin" "$out/$file" --name "$name" "${args[@]}" >/dev/null
}

# Every preset sets all seven parameters, so loading one never keeps a value
# of the setting before it.
save gentle-glue.fxp "Gentle glue" \
  "Input Gain=40" "Wet=70" "Tame=0.6" "React=1" "Bypass=0" "Output Gain=105" "Bias=0.5"
save drum-crush.fxp "Drum crush" \
  "Input Gain=160" "Wet=100" "Tame=0.3" "React=0" "Bypass=0" "Output Gain=130" "Bias=0.5"
save bass-warmth.fxp "Bass warmth" \
  "Input Gain=80" "Wet=85" "Tame=0.5" "React=1" "Bypass=0" "Output Gain=95" "Bias=0.62"
save safety-limiter.fxp "Safety limiter" \
  "Input Gain=0" "Wet=0" "Tame=0.5" "React=1" "Bypass=0" "Output Gain=100" "Bias=0.5"
save bypass-ready.fxp "Bypass-ready" \
  "Input Gain=32" "Wet=87" "Tame=0.5" "React=1" "Bypass=1" "Output Gain=100" "Bias=0.5"
