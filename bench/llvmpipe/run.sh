#!/bin/sh
# Builds the llvmpipe anchor (software OpenGL ES through Mesa, one frame of the
# text scene's work) from the shared copy into a build folder of ours and runs
# it: the figure our device's frame time is compared against.
#
# Usage: bench/llvmpipe/run.sh [frames] [warmup] [threads]
#   frames, warmup: timed and untimed frames (defaults 500 and 50)
#   threads: LP_NUM_THREADS for llvmpipe; "unset" (default) leaves Mesa's
#            choice (one per core)
# BUILD_DIR (default build-llvmpipe, relative to the repository) receives the
# copy and the program; the shared folder itself is read-only.
set -eu
repo=$(cd "$(dirname "$0")/../.." && pwd)
src="$repo/../shared/bench/llvmpipe_anchor"
build="$repo/${BUILD_DIR:-build-llvmpipe}"
frames=${1:-500}
warmup=${2:-50}
threads=${3:-unset}

if [ ! -f "$src/lpbench.c" ]; then
  echo "bench/llvmpipe/run.sh: no $src/lpbench.c" >&2
  exit 1
fi
mkdir -p "$build"
cp "$src/lpbench.c" "$src/Makefile" "$build/"
make -s -C "$build" lpbench

cd "$build"
./lpbench --frames 10 --warmup 0 | sed -n '2,3p'
if [ "$threads" = unset ]; then
  env -u LP_NUM_THREADS ./lpbench --quiet --frames "$frames" --warmup "$warmup"
else
  LP_NUM_THREADS=$threads ./lpbench --quiet --frames "$frames" --warmup "$warmup"
fi
