#!/usr/bin/env bash
# Pictures of the chooser and of every tab page of both main windows, in Japanese and English,
# each main window with a simulated unit read into its form, taken in a real X server (Xvfb).
#   scripts/screenshots.sh [OUT_DIR]     (default docs/screenshots)
# Fails when a window cannot be shown or its unit is not read. Expects a release build
# (scripts/test.sh or scripts/run.sh makes one).
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/screenshots}
build=${PELNIX_BUILD_DIR:-build/release}
shots=$build/tools/screenshots/pelnix-screenshots
sim=$build/sim/pelnix-unit-sim
[ -x "$shots" ] && [ -x "$sim" ] || { echo "build first: $shots and $sim are missing" >&2; exit 1; }

# Only the simulated unit: its own virtual-port folder, and no settings file of the user's.
work=$(mktemp -d)
sim_pid=
cleanup() { [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
export XDG_RUNTIME_DIR=$work/runtime XDG_CONFIG_HOME=$work/config
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

start_sim() {
  "$sim" --family "$1" --name "screenshot-$1" >/dev/null &
  sim_pid=$!
  for _ in $(seq 100); do
    [ -e "$XDG_RUNTIME_DIR/pelnix-config/ports/screenshot-$1" ] && return 0
    sleep 0.05
  done
  echo "the simulated $1 unit did not start" >&2
  exit 1
}
stop_sim() { kill "$sim_pid" 2>/dev/null; wait "$sim_pid" 2>/dev/null || true; sim_pid=; }

shoot() {  # language window
  local dir=$out/$1
  mkdir -p "$dir"
  # The program copy runs from the work folder so it finds no config.xml beside it.
  LANG=$([ "$1" = ja ] && echo ja_JP.UTF-8 || echo en_US.UTF-8) LC_ALL= \
    xvfb-run -a -s "-screen 0 1600x1200x24" "$shots" "$2" "$dir"
}

for lang in ja en; do
  shoot "$lang" chooser
  start_sim rs485; shoot "$lang" rs485; stop_sim
  start_sim tx330; shoot "$lang" tx330; stop_sim
done
echo "screenshots in $out"
