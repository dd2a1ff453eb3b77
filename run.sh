#!/usr/bin/env bash
# Installs what is missing, makes a Release build and starts Marrowby with the
# arguments given (see README.md for the command line).
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
# GUI on: scripts/bench.sh shares this tree and builds it without the Qt programs.
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DMARROWBY_TESTS=OFF \
  -DMARROWBY_GUI=ON >/dev/null
cmake --build build/release
program=build/release/app/marrowby
if [[ ! -x $program ]]; then
  echo "run.sh: built the libraries; the marrowby program is not part of this build yet." >&2
  exit 0
fi
args=("$@")
if [[ -z ${DISPLAY:-} && -z ${WAYLAND_DISPLAY:-} ]]; then
  case " ${args[*]:-} " in *" --headless "*) ;; *) args+=(--headless) ;; esac
fi
exec "$program" "${args[@]}"
