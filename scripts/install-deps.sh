#!/usr/bin/env bash
# Installs every Debian package that building, testing and running Marrowby need
# and that is not installed yet. Safe to run again: it asks dpkg first and only
# touches apt when something is missing.
set -euo pipefail

PACKAGES=(
  # build
  cmake ninja-build g++ pkg-config
  # regular expressions, MD5 and TLS; the CA certificates that TLS trusts
  libpcre2-dev libssl-dev ca-certificates
  # the learning filter's token counts
  libsqlite3-dev
  # GUI: Qt, its SVG renderer (the icon) and its own Japanese texts (qtbase_ja)
  qt6-base-dev qt6-svg-dev qt6-translations-l10n
  # passwords in the desktop's secret store: QtKeychain, which loads libsecret
  # at run time; GNOME Keyring and a private session bus for its tests
  qtkeychain-qt6-dev libsecret-1-0 gnome-keyring dbus-daemon
  # the Debian package and the checks of what installs with the program
  dpkg-dev file libcap2-bin desktop-file-utils appstream man-db
  # tests and benchmarks
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  # a font for kanji and kana (the viewer's glyph test), and Xvfb for the screenshots
  fonts-ipafont-gothic xvfb xauth
  # fuzz targets (libFuzzer) and the sanitizer runtimes of clang
  clang libclang-rt-14-dev
  # real peers for the network tests; openssl makes their test certificates
  python3 dovecot-pop3d fetchmail openssl
)

missing=()
for p in "${PACKAGES[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

[[ ${#missing[@]} -eq 0 ]] && exit 0

SUDO=""
[[ $(id -u) -eq 0 ]] || SUDO="sudo"
echo "install-deps: installing ${missing[*]}"
# Packages that ship a daemon must not start a system-wide service here.
policy=/usr/sbin/policy-rc.d
made_policy=0
if [[ ! -e $policy ]]; then
  printf '#!/bin/sh\nexit 101\n' | $SUDO tee $policy >/dev/null
  $SUDO chmod 755 $policy
  made_policy=1
fi
trap '[[ $made_policy -eq 1 ]] && $SUDO rm -f '"$policy" EXIT
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
