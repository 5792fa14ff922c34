#!/usr/bin/env bash
# Usage: fuzz/run.sh [SECONDS] [TARGET...]
# Runs every fuzz target (alignment, population, options; or only those named) for SECONDS seconds
# (default 60), in parallel, each starting from its committed seed corpus (fuzz/corpus/<target>).
# Needs fuzz/setup.sh once.
#
# Work corpora, crash inputs and logs go to build-fuzz/ (never committed):
#   build-fuzz/work/<target>/       the growing corpus
#   build-fuzz/artifacts/<target>/  crash, leak, timeout and out-of-memory inputs
#   build-fuzz/<target>.log         libFuzzer's log; its last lines give executions and exec/s
# Exit status 0 when no target found a fault.
set -euo pipefail
seconds="${1:-60}"
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then targets=(alignment population options); fi
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-fuzz"

CC=clang CXX=clang++ cmake -S "$root/fuzz" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"${JOBS:-4}" >/dev/null

export LSAN_OPTIONS="suppressions=$root/fuzz/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export ASAN_OPTIONS="abort_on_error=1:detect_leaks=1"

pids=()
for target in "${targets[@]}"; do
  mkdir -p "$build/work/$target" "$build/artifacts/$target"
  cp -n "$root/fuzz/corpus/$target/"* "$build/work/$target/" 2>/dev/null || true
  dict=()
  if [ -f "$root/fuzz/$target.dict" ]; then dict=("-dict=$root/fuzz/$target.dict"); fi
  # close_fd_mask=3: the program's console text is not wanted; libFuzzer and the sanitizers keep
  # their own copy of standard error for their reports.
  ASAN_OPTIONS="$ASAN_OPTIONS" "$build/fuzz_$target" "$build/work/$target" "${dict[@]}" \
    -max_total_time="$seconds" -timeout=20 -rss_limit_mb=4096 -max_len=8192 \
    -close_fd_mask=3 -print_final_stats=1 \
    -artifact_prefix="$build/artifacts/$target/" >"$build/$target.log" 2>&1 &
  pids+=($!)
done

status=0
i=0
for target in "${targets[@]}"; do
  if ! wait "${pids[$i]}"; then status=1; fi
  i=$((i + 1))
  runs=$(grep -E '^stat::number_of_executed_units' "$build/$target.log" | awk '{print $2}' || true)
  speed=$(grep -E '^stat::average_exec_per_sec' "$build/$target.log" | awk '{print $2}' || true)
  crashes=$(ls "$build/artifacts/$target" | wc -l)
  echo "$target: ${runs:-?} executions, ${speed:-?} exec/s, ${crashes} fault input(s) in build-fuzz/artifacts/$target"
done
exit $status
