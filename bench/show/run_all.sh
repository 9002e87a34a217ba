#!/bin/sh
# The figures of bench/RESULTS.md's show section in one run, one after the
# other on the same machine: llvmpipe's frame (2 threads, then 1), our
# device's frame and quads, then the whole show's per-scene frame times.
# Usage: bench/show/run_all.sh [build folder]   (default build-show)
set -eu
repo=$(cd "$(dirname "$0")/../.." && pwd)
build="$repo/${1:-build-show}"
cd "$repo"
cmake -S . -B "$build" -G Ninja >/dev/null
cmake --build "$build" -j2 --target show_bench scene_times >/dev/null

echo "== machine"
echo "nproc: $(nproc)"
grep -m1 "model name" /proc/cpuinfo
uptime

echo "== llvmpipe, LP_NUM_THREADS unset (one per core)"
bench/llvmpipe/run.sh 300 30 unset
echo "== llvmpipe, LP_NUM_THREADS=1"
bench/llvmpipe/run.sh 300 30 1

echo "== our device (show_bench)"
cd "$build"
VORKAST_VIDEO=none ./bench/show/show_bench --benchmark_min_time=1 2>/dev/null | grep -E "^(BM_|Benchmark|-)"

echo "== the whole show (scene_times)"
./bench/show/scene_times
uptime
