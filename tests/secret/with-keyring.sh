#!/bin/sh
# Runs the given command with GNOME Keyring's Secret Service on the session
# bus of dbus-run-session, with a fresh login keyring in a temporary home that
# is unlocked at start. The daemon ends with the bus.
set -eu
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -m 0700 "$home/run"
export HOME="$home" XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config" \
  XDG_RUNTIME_DIR="$home/run" XDG_CURRENT_DESKTOP=GNOME
printf '%s' marrowby-test | gnome-keyring-daemon --unlock --components=secrets >/dev/null
"$@"
