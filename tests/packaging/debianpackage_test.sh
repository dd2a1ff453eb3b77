#!/usr/bin/env bash
# The Debian package of this build tree: CPack builds it from the programs
# already built (nothing is compiled again), it unpacks into a temporary
# folder with every installed file, its library dependencies come from
# dpkg-shlibdeps, the unpacked programs run, both manual pages render, and
# its post-install step gives the program the right to listen on port 110:
# where this test may set file capabilities (as root), an ordinary user then
# starts the unpacked program on a port below 1024 and gets the greeting.
#   debianpackage_test.sh BUILD_DIR VERSION
set -euo pipefail
build=$1 version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# With Ninja, CPack installs what the build made and builds nothing itself.
if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log" >&2
  fail "cpack did not build the package"
fi
deb="$work/out/marrowby_${version}_$(dpkg --print-architecture).deb"
[[ -f $deb ]] || fail "no $deb; cpack made: $(ls "$work/out")"

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for needed in libc6 libstdc++6 libqt6core6 libqt6widgets6 libqt6svg6 libpcre2-8-0 \
  libssl3 libcap2-bin qt6-translations-l10n; do
  [[ ", $depends," == *", $needed"[\ ,]* ]] || fail "Depends lacks $needed"
done

root="$work/root"
dpkg-deb -x "$deb" "$root"
for file in usr/bin/marrowby usr/bin/marrowby-tool \
  usr/share/applications/org.pellwick.marrowby.desktop \
  usr/share/icons/hicolor/scalable/apps/org.pellwick.marrowby.svg \
  usr/share/metainfo/org.pellwick.marrowby.metainfo.xml \
  usr/share/man/man1/marrowby.1.gz usr/share/man/man1/marrowby-tool.1.gz \
  usr/lib/systemd/user/marrowby.service usr/share/doc/marrowby/README.md; do
  [[ -f $root/$file ]] || fail "the package lacks /$file"
done
grep -qx 'ExecStart=/usr/bin/marrowby --headless' "$root/usr/lib/systemd/user/marrowby.service" ||
  fail "the user unit does not start /usr/bin/marrowby --headless"

[[ $("$root/usr/bin/marrowby" --version) == "marrowby $version" ]] ||
  fail "the unpacked marrowby --version"
"$root/usr/bin/marrowby-tool" --help | grep -q '^Usage: marrowby-tool COMMAND' ||
  fail "the unpacked marrowby-tool --help"

for page in marrowby marrowby-tool; do
  man --warnings -E UTF-8 -l "$root/usr/share/man/man1/$page.1.gz" >"$work/$page.txt" \
    2>"$work/$page.err"
  [[ ! -s $work/$page.err ]] || fail "man $page: $(cat "$work/$page.err")"
  grep -q '^NAME' "$work/$page.txt" && grep -q '^SYNOPSIS' "$work/$page.txt" ||
    fail "man $page rendered no NAME and SYNOPSIS"
done

dpkg-deb -e "$deb" "$work/control"
postinst="$work/control/postinst"
[[ -x $postinst ]] || fail "the package has no executable postinst"
DPKG_ROOT="$root" "$postinst" configure || fail "postinst configure ended with $?"

# Can this run set file capabilities at all (root, a file system that keeps them)?
cp /bin/true "$work/probe"
if ! setcap cap_net_bind_service=+ep "$work/probe" 2>/dev/null ||
  ! getcap "$work/probe" | grep -q cap_net_bind_service; then
  echo "file capabilities cannot be set here; the postinst ran, its effect is not checked"
  exit 0
fi
getcap "$root/usr/bin/marrowby" | grep -q 'cap_net_bind_service=ep' ||
  fail "postinst did not give marrowby cap_net_bind_service"

# A free port below 1024, as far as a bind tells.
port=
for candidate in $(seq 990 -1 900); do
  if python3 -c 'import socket,sys; s=socket.socket(); s.bind(("0.0.0.0", int(sys.argv[1])))' \
    "$candidate" 2>/dev/null; then
    port=$candidate
    break
  fi
done
[[ -n $port ]] || fail "no free port below 1024 for the check"

home="$work/home"
mkdir -p "$home/run" "$home/config"
chmod 700 "$home/run"
chown -R nobody:nogroup "$home"
# Leak checks need ptrace, which a process with file capabilities may not use.
setpriv --reuid=nobody --regid=nogroup --clear-groups \
  env -i PATH=/usr/bin:/bin HOME="$home" XDG_RUNTIME_DIR="$home/run" \
  XDG_CONFIG_HOME="$home/config" ASAN_OPTIONS=detect_leaks=0 \
  "$root/usr/bin/marrowby" --headless --folder "$home/data" --port "$port" \
  >"$work/run.out" 2>"$work/run.err" &
pid=$!
greeting=
for _ in $(seq 100); do
  if exec 3<>"/dev/tcp/127.0.0.1/$port" 2>/dev/null; then
    read -r -t 10 greeting <&3 || true
    exec 3<&-
    break
  fi
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
kill -TERM "$pid" 2>/dev/null || true
wait "$pid" || true
[[ $greeting == "+OK"* ]] ||
  fail "an ordinary user got no greeting on port $port: $(cat "$work/run.err")"
echo "an ordinary user's marrowby listened on port $port: $greeting"
