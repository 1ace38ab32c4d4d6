#!/usr/bin/env bash
# Builds the chunk-reading and SVG-reading fuzz targets (clang, libFuzzer,
# AddressSanitizer) and runs them for a bounded time: run-fuzz.sh [SECONDS] [extra libFuzzer args]
# Exits non-zero when the fuzzer finds a crash or a broken invariant; the
# reproducer is left in the build directory's fuzz-artifacts/.
set -euo pipefail
seconds="${1:-60}"
shift || true
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${OMBRISK_FUZZ_BUILD_DIR:-$root/build/linux-fuzz}"

if [ "$build" = "$root/build/linux-fuzz" ]; then
  cmake --preset linux-fuzz -S "$root" >/dev/null
else
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang -DOMBRISK_FUZZ=ON \
    "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG" "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG" \
    "-DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link,address -fno-omit-frame-pointer" \
    "-DCMAKE_C_FLAGS=-fsanitize=fuzzer-no-link,address -fno-omit-frame-pointer" \
    "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address" >/dev/null
fi
cmake --build "$build" --target core_chunk_fuzz svg_read_fuzz -j2
# The time is shared: half for the chunk readers, half for the SVG reader.
svg_seconds=$((seconds / 2))
seconds=$((seconds - svg_seconds))

corpus="$build/fuzz-corpus"
artifacts="$build/fuzz-artifacts"
mkdir -p "$corpus" "$artifacts"
# A few well-formed starting points: a bare body, a program chunk, a bank.
if [ -z "$(ls -A "$corpus")" ]; then
  python3 - "$corpus" <<'PY'
import struct, sys, os
d = sys.argv[1]
body = b"".join(struct.pack("<d", v) for v in (32.0, 87.0, 0.5, 1.0, 0.0, 100.0, 0.5))
header = struct.pack("<ii", 0x70666674, 0x00010000)
def preset(name, init):
    return struct.pack("<i", len(name)) + name + (b"\x01" + body if init else b"\x00")
seeds = {
    "params": b"\x00\x00" + body,
    "bank": b"\x01\x08" + header + preset(b"Empty", True) + preset(b"user preset 1", True) + preset(b"empty", False),
    "program": b"\x02\x00" + header + body,
    "editor": b"\x03\x00" + struct.pack("<iif", 1200, 800, 0.75),
}
for k, v in seeds.items():
    open(os.path.join(d, k), "wb").write(v)
PY
fi
"$build/tests/core/fuzz/core_chunk_fuzz" "$corpus" -max_total_time="$seconds" -max_len=4096 \
  -artifact_prefix="$artifacts/" -print_final_stats=1 "$@"
svg_corpus="$build/svg-fuzz-corpus"
mkdir -p "$svg_corpus"
for seed in "$root"/tests/graphics/svg/corpus/*.svg; do
  [ -e "$svg_corpus/$(basename "$seed")" ] || cp "$seed" "$svg_corpus/"
done
"$build/tests/graphics/svg/fuzz/svg_read_fuzz" "$svg_corpus" -max_total_time="$svg_seconds" -max_len=16384 \
  -dict="$root/tests/graphics/svg/fuzz/svg.dict" -artifact_prefix="$artifacts/svg-" -print_final_stats=1 "$@"
