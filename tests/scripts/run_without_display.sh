#!/usr/bin/env bash
# scripts/run.sh on a machine with and without a display. Setting up and building are stood in
# for (they are not what is tested); the choice between opening the window and telling how to
# work without one is the script's own.
set -euo pipefail
source_dir="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/tree/scripts" "$work/tree/build/release/src/app" "$work/tree/build/release/src/cli" "$work/bin"
cp "$source_dir/scripts/run.sh" "$work/tree/scripts/run.sh"
stub() { printf '#!/bin/sh\n%s\n' "$2" >"$1"; chmod +x "$1"; }
stub "$work/tree/scripts/install-deps.sh" 'exit 0'
stub "$work/bin/cmake" 'exit 0'
stub "$work/tree/build/release/src/app/pelnix-connect-demo" 'exit 0'
stub "$work/tree/build/release/src/app/pelnix-config" "echo window-opened >>'$work/opened'"

fail() { echo "FAIL: $*" >&2; exit 1; }
run() { env -u DISPLAY -u WAYLAND_DISPLAY PATH="$work/bin:$PATH" PELNIX_NO_SIM=1 "$@" "$work/tree/scripts/run.sh"; }

# No display: the window is not started, and the note says so and names the command line.
out=$(run)
[ ! -e "$work/opened" ] || fail "the window was started without a display"
grep -q "window was not opened" <<<"$out" || fail "no note that the window was not opened: $out"
grep -q "build/release/src/cli/pelnix-cli read -o" <<<"$out" || fail "no pelnix-cli example: $out"

# Either kind of display: the window is started and no note is given.
for display in DISPLAY=:0 WAYLAND_DISPLAY=wayland-0; do
  rm -f "$work/opened"
  out=$(run "$display")
  [ -e "$work/opened" ] || fail "$display: the window was not started"
  ! grep -q "not opened" <<<"$out" || fail "$display: note given although the window opened"
done
echo "ok"
