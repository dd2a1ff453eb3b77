#!/usr/bin/env bash
# Builds the Debian package of Marrowby from a Release build:
#   scripts/package.sh          -> build/package/marrowby_<version>_<arch>.deb
# Install it with  sudo apt install ./build/package/marrowby_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh

dir=build/release
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMARROWBY_TESTS=OFF -DMARROWBY_GUI=ON \
  -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build "$dir"
rm -rf build/package
cpack -G DEB --config "$dir/CPackConfig.cmake" -B build/package
rm -rf build/package/_CPack_Packages
ls -l build/package/*.deb
dpkg-deb -f build/package/*.deb Depends
