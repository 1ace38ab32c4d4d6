#!/usr/bin/env bash
# Builds every preset and runs every test: native (with a short smoke run of
# every benchmark program), sanitizers, the 64-bit Windows build under wine64,
# the shipped 32-bit Windows module (checked as a file: it cannot run here),
# and the chunk- and SVG-reading fuzzers for a minute. Ends with the time each
# phase took.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
JOBS="${JOBS:-2}"

timings=()
phase() {  # phase NAME COMMAND...: runs it, notes its wall time, returns its status
  local name="$1" start=$SECONDS status=0
  shift
  "$@" || status=$?
  timings+=("$(printf '%-22s %5d s' "$name" $((SECONDS - start)))")
  return "$status"
}
report() {
  echo "=== time per phase ==="
  printf '%s\n' "${timings[@]}"
  printf '%-22s %5d s\n' total "$SECONDS"
}
trap report EXIT

# run_preset PRESET [TARGET...]: configure, build the targets (default: all),
# run the preset's tests.
run_preset() {
  local preset="$1"
  shift
  local targets=("${@:-all}")
  echo "=== $preset ==="
  phase "$preset configure" cmake --preset "$preset" >/dev/null
  phase "$preset build" cmake --build --preset "$preset" -j "$JOBS" --target "${targets[@]}"
  phase "$preset test" ctest --preset "$preset" -j "$JOBS"
}

SECONDS=0
run_preset linux
# The sanitizer builds compile what their tests run, not the tools.
run_preset linux-asan test_programs
run_preset linux-tsan concurrency_tests
run_preset win64
# The shipped module and the check of its file are all the win32 preset
# runs. A fuzzer keeps one core busy for its minute: the module builds on the
# other, its output shown after the fuzzers'.
mkdir -p build
win32_log=build/win32-beside-fuzz.log
win32_start=$SECONDS
(run_preset win32 Ombrisk) >"$win32_log" 2>&1 &
win32_pid=$!
echo "=== chunk- and SVG-reading fuzzers (30 s each) ==="
win32_status=0
phase "fuzz build and run" bash scripts/run-fuzz.sh 60 || {
  wait "$win32_pid" || true
  cat "$win32_log"
  exit 1
}
wait "$win32_pid" || win32_status=$?
timings+=("$(printf '%-22s %5d s' "win32 (beside fuzz)" $((SECONDS - win32_start)))")
cat "$win32_log"
((win32_status == 0)) || exit "$win32_status"
echo "=== release: archives, Debian package (installed and removed) ==="
phase "release" bash scripts/test-release.sh
echo "=== all presets passed ==="
