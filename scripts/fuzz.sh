#!/usr/bin/env bash
# Builds the settings-file fuzz target with clang's libFuzzer and the sanitizers, seeds it
# with the settings-file fixtures and runs it. Not part of `make test`.
#   scripts/fuzz.sh [runs]      (default 1000000 inputs)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-1000000}
out=${FUZZ_DIR:-$root/build-fuzz}
mkdir -p "$out/corpus"
bash "$root/scripts/install-deps.sh" fuzz

clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  -I "$root/app/core" \
  "$root/fuzz/settings_file_fuzzer.cpp" "$root/app/core/settings_file.cpp" "$root/app/core/text_file.cpp" \
  -o "$out/settings_file_fuzzer"

cp "$root"/tests/app/fixtures/*.Q37 "$out/corpus/"
cd "$out"
ASAN_OPTIONS=halt_on_error=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  ./settings_file_fuzzer -runs="$runs" -max_len=4096 -print_final_stats=1 \
    -dict="$root/fuzz/settings_file.dict" corpus
