#!/usr/bin/env bash
# Builds the Debian package from a release build, installs it into this machine, starts the
# installed programs, and removes the package again, checking that nothing is left behind.
#   scripts/install-test.sh [BUILD_DIR]   (default build/release; needs root or sudo)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi

fail() { echo "install test: $*" >&2; exit 1; }

out=$(mktemp -d)
work=$(mktemp -d)
sim_pid=
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
  if dpkg-query -W -f='${Status}' pelnix-config 2>/dev/null | grep -q 'install ok installed'; then
    "${sudo_cmd[@]}" dpkg -r pelnix-config >/dev/null || true
  fi
  rm -rf "$out" "$work"
}
trap cleanup EXIT

(cd "$build" && cpack -G DEB -B "$out" >/dev/null)
deb=$(ls "$out"/pelnix-config_*.deb)
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"
echo "depends: $(dpkg-deb -f "$deb" Depends)"

if command -v lintian >/dev/null; then
  # Root runs are warned about by lintian itself; that line is not about the package.
  findings=$(lintian "$deb" 2>&1 | grep -v 'running with root privileges' || true)
  [ -z "$findings" ] || { echo "$findings"; fail "lintian findings"; }
fi

"${sudo_cmd[@]}" dpkg -i "$deb" >/dev/null
mapfile -t files < <(dpkg -L pelnix-config | while read -r f; do [ -f "$f" ] && echo "$f"; done)

desktop-file-validate /usr/share/applications/pelnix-config.desktop
appstreamcli validate --no-net --pedantic /usr/share/metainfo/io.github.pelnix.config.metainfo.xml >/dev/null ||
  appstreamcli validate --no-net /usr/share/metainfo/io.github.pelnix.config.metainfo.xml >/dev/null
for page in pelnix-config pelnix-cli pelnix-unit-sim; do
  [ -f "/usr/share/man/man1/$page.1.gz" ] || fail "no manual page for $page"
done

# The installed window program starts on the offscreen platform and keeps running until stopped.
export XDG_RUNTIME_DIR="$work/runtime" XDG_CONFIG_HOME="$work/config" HOME="$work"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
QT_QPA_PLATFORM=offscreen /usr/bin/pelnix-config &
gui_pid=$!
sleep 2
kill -0 "$gui_pid" 2>/dev/null || fail "the installed pelnix-config did not stay up"
kill "$gui_pid"; wait "$gui_pid" 2>/dev/null || true

if [ -x /usr/bin/pelnix-cli ]; then
  /usr/bin/pelnix-cli --version
  /usr/bin/pelnix-unit-sim --family rs485 --name bench-unit &
  sim_pid=$!
  for _ in $(seq 50); do [ -e "$XDG_RUNTIME_DIR/pelnix-config/ports/bench-unit" ] && break; sleep 0.1; done
  /usr/bin/pelnix-cli scan --family rs485 || fail "the installed pelnix-cli found no simulated unit"
  kill "$sim_pid"; wait "$sim_pid" 2>/dev/null || true
  sim_pid=
fi

"${sudo_cmd[@]}" dpkg -r pelnix-config >/dev/null
for f in "${files[@]}"; do
  [ ! -e "$f" ] || fail "$f is left after removal"
done
echo "install test passed: ${#files[@]} files installed and removed"
