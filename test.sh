#!/usr/bin/env bash
# Installs what is missing, builds the test configuration and runs every test.
#   ./test.sh          Debug build with AddressSanitizer and UndefinedBehaviorSanitizer
#   ./test.sh --tsan   Debug build of the core with ThreadSanitizer
# Extra arguments after the mode are passed to ctest (for example -R Regexp).
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh

mode=asan
if [[ ${1:-} == --tsan ]]; then mode=tsan; shift; fi

if [[ $mode == tsan ]]; then
  dir=build/tsan
  cfg=(-DMARROWBY_SANITIZE=thread -DMARROWBY_GUI=OFF)
  # Kernels with high mmap randomness break TSan's memory layout.
  export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 ${TSAN_OPTIONS:-}"
else
  dir=build/test
  cfg=(-DMARROWBY_SANITIZE=address,undefined)
  export ASAN_OPTIONS="detect_leaks=1 strict_string_checks=1 ${ASAN_OPTIONS:-}"
  export UBSAN_OPTIONS="print_stacktrace=1 halt_on_error=1 ${UBSAN_OPTIONS:-}"
fi

# The package test makes its Debian package from this tree: install under /usr.
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_INSTALL_PREFIX=/usr "${cfg[@]}" \
  >/dev/null
cmake --build "$dir"
run=(ctest --test-dir "$dir" --output-on-failure -j "$(nproc)" "$@")
if [[ $mode == tsan ]]; then
  setarch "$(uname -m)" -R "${run[@]}"
else
  "${run[@]}"
fi
