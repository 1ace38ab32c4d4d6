#!/usr/bin/env bash
# The main job: builds the native tree and runs the generated test program
# through the effect, printing the levels in and out.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset linux >/dev/null
cmake --build --preset linux -j "${JOBS:-2}" --target ombrisk-spine-demo
./build/linux/tools/ombrisk-spine-demo
