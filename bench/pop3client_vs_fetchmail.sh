#!/usr/bin/env bash
# The POP3 check session against Debian's fetchmail, both fetching from the
# same local dovecot in one run: 1,000 messages of about 5 KB (items_per_second
# is messages per second) and one 20 MB message (bytes_per_second).
#   bench/pop3client_vs_fetchmail.sh [benchmark arguments...]
# BUILD_DIR chooses the Release tree (default build/release).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh

dir=${BUILD_DIR:-build/release}
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMARROWBY_BENCH=ON \
  -DMARROWBY_TESTS=OFF -DMARROWBY_GUI=OFF >/dev/null
cmake --build "$dir" -j 2 --target bench_pop3client
"$dir/bench/bench_pop3client" "$@"
