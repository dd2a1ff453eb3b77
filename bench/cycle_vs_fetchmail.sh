#!/usr/bin/env bash
# One check cycle of the gateway (without a window, judging and storing
# included) against fetchmail, both fetching from the same local dovecot in
# one run: 1,000 messages of a realistic mix, in plain text and over POP3S
# (fetchmail with --ssl), and the same with 100 of 1 to 5 MB. Reports the
# wall time of each and its peak memory (peak_rss_kb).
#   bench/cycle_vs_fetchmail.sh [benchmark arguments...]
# BUILD_DIR chooses the Release tree (default build/release-gui).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh

dir=${BUILD_DIR:-build/release-gui}
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMARROWBY_BENCH=ON \
  -DMARROWBY_TESTS=OFF -DMARROWBY_GUI=ON >/dev/null
cmake --build "$dir" -j 2 --target bench_cycle
"$dir/bench/bench_cycle" "$@"
