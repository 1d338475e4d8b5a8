#!/bin/sh
# Builds the load benchmark in an optimised build directory of its own and runs it.
#   bench/run_load_bench.sh [BUILD_DIR] [bench_load options...]
# BUILD_DIR defaults to /tmp/setlistry-bench; the generated libraries are kept there for later runs.
set -eu
src=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-/tmp/setlistry-bench}
[ $# -gt 0 ] && shift
cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSETLISTRY_BUILD_GUI=OFF \
    -DSETLISTRY_BUILD_TESTS=OFF -DSETLISTRY_SANITIZE=OFF >/dev/null
cmake --build "$build" --target bench_load
exec "$build/bench/bench_load" --workdir "$build/bench" "$@"
