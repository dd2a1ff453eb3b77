#!/usr/bin/env bash
# The gateway's local POP3 server against Debian's dovecot serving the same
# messages on loopback, timed with the same poplib client in one run: STAT,
# UIDL, LIST and RETR of 1,000 messages of about 5 KB, and RETR of one 20 MB
# message.
#   bench/pop3server_vs_dovecot.sh [rounds]
# BUILD_DIR chooses the Release tree (default build/release).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh

dir=${BUILD_DIR:-build/release}
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMARROWBY_TESTS=OFF >/dev/null
cmake --build "$dir" -j 2 --target marrowby
python3 bench/pop3server_vs_dovecot.py "$dir/app/marrowby" "$@"
