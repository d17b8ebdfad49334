#!/usr/bin/env bash
# Builds the script fuzz target with clang, AddressSanitizer and UndefinedBehaviorSanitizer and
# runs it for a bounded time (default 60 s), seeded with the example scripts.
# Usage: tools/fuzz_smoke.sh [seconds]     Environment: FUZZ_BUILD_DIR (default build/fuzz), JOBS.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
build="${FUZZ_BUILD_DIR:-$root/build/fuzz}"
jobs="${JOBS:-2}"

cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_C_FLAGS=-fsanitize=fuzzer-no-link -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link \
  -DQUORVALE_SANITIZE=address,undefined \
  -DQUORVALE_BUILD_FUZZ=ON -DQUORVALE_BUILD_TESTS=OFF -DQUORVALE_BUILD_BENCH=OFF >/dev/null
ninja -C "$build" -j "$jobs" script_fuzz

corpus="$(mktemp -d)"
trap 'rm -rf "$corpus"' EXIT
# Seeds: each example script behind a control byte (0: no stop, 2: with a serial line).
for script in "$root"/examples/*.qvs; do
  { printf '\x02'; cat "$script"; } >"$corpus/$(basename "$script").seed"
done
printf '\x00#!quorvale\nset tv=1/250 av=8\nshot iso=100\nwait sleep=1\necho hi\n' >"$corpus/basic.seed"
printf '\x03#!quorvale\nwait utc=2030-1-1\nwait point=1:30\ncomflash\n' >"$corpus/stop.seed"

export UBSAN_OPTIONS="${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}"
"$build/fuzz/script_fuzz" -max_total_time="$seconds" -max_len=4096 -timeout=20 \
  -rss_limit_mb=4096 -print_final_stats=1 -artifact_prefix="$build/" "$corpus"
