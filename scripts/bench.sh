#!/usr/bin/env bash
# Builds the benchmark programs in a Release tree and runs each of them.
#   scripts/bench.sh                                  every benchmark
#   scripts/bench.sh --benchmark_filter=Base64        extra arguments go to every program
# Each benchmark runs five times; the mean, median and spread are printed.
# The window's benchmarks (bench_gui_*) run on Qt's offscreen platform.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh

dir=build/release
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMARROWBY_BENCH=ON \
  -DMARROWBY_TESTS=OFF >/dev/null
cmake --build "$dir" -j 2

shopt -s nullglob
programs=("$dir"/bench/bench_*)
if [[ ${#programs[@]} -eq 0 ]]; then
  echo "no benchmark programs in $dir/bench" >&2
  exit 1
fi
for program in "${programs[@]}"; do
  [[ -x $program && -f $program ]] || continue
  echo "== $(basename "$program")"
  "$program" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true "$@"
done
