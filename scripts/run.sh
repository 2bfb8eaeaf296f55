#!/usr/bin/env bash
# Sets up, builds and starts pelnix-config. Without a real unit plugged in, a simulated
# RS485 unit (pelnix-unit-sim) is started on a pseudo-terminal first, so that the tool finds
# something to talk to. PELNIX_NO_SIM=1 skips the simulator.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/release -j"$(nproc)"

bin=build/release
sim_pid=""
cleanup() { [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true; }
trap cleanup EXIT

if [ "${PELNIX_NO_SIM:-0}" != 1 ] && [ -x "$bin/sim/pelnix-unit-sim" ]; then
  "$bin/sim/pelnix-unit-sim" --family rs485 --name sim0 &
  sim_pid=$!
  sleep 0.5
fi

if [ -x "$bin/src/app/pelnix-config" ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
  "$bin/src/app/pelnix-config"
elif [ -x "$bin/src/app/pelnix-connect-demo" ]; then
  "$bin/src/app/pelnix-connect-demo"
else
  echo "nothing to run yet"
fi
