#!/usr/bin/env bash
# Builds every preset and runs every test: native, sanitizers, the 64-bit
# Windows build under wine64, and the shipped 32-bit Windows build.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
JOBS="${JOBS:-2}"

run_preset() {
  local preset="$1" test="${2:-yes}"
  echo "=== $preset ==="
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$JOBS"
  if [ "$test" = yes ]; then
    ctest --preset "$preset" -j "$JOBS"
  fi
}

run_preset linux
run_preset linux-asan
run_preset linux-tsan
run_preset win64
run_preset win32 no
for extra in scripts/test-*.d/*.sh; do
  [ -e "$extra" ] || continue
  echo "=== $(basename "$extra") ==="
  bash "$extra"
done
echo "=== all presets passed ==="
