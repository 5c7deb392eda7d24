#!/usr/bin/env bash
# Builds the settings-file fuzz target with clang's libFuzzer and the sanitizers (the CMake
# option VELKO_FUZZ), seeds it with the settings-file fixtures and runs it. Not part of
# `make test`.
#   scripts/fuzz.sh [runs]      (default 1000000 inputs)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-1000000}
out=${FUZZ_DIR:-$root/build-fuzz}
bash "$root/scripts/install-deps.sh" fuzz

cmake -S "$root" -B "$out" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELKO_FUZZ=ON \
  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang
cmake --build "$out" -j "${JOBS:-$(nproc)}" --target settings_file_fuzzer

mkdir -p "$out/corpus"
cp "$root"/tests/app/fixtures/*.Q37 "$out/corpus/"
cd "$out"
ASAN_OPTIONS=halt_on_error=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  ./fuzz/settings_file_fuzzer -runs="$runs" -max_len=4096 -print_final_stats=1 \
    -dict="$root/fuzz/settings_file.dict" corpus
