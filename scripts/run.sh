#!/usr/bin/env bash
# Sets up, builds and starts pelnix-config. Without a real unit plugged in, a simulated
# unit (pelnix-unit-sim) is started on a pseudo-terminal first, so that the tool finds
# something to talk to. PELNIX_NO_SIM=1 skips the simulator; PELNIX_SIM_FAMILY=tx330 (or the
# option --tx330) makes it a contact-I/O unit instead of an RS485 unit.
set -euo pipefail
cd "$(dirname "$0")/.."

sim_family="${PELNIX_SIM_FAMILY:-rs485}"
for arg in "$@"; do
  case "$arg" in
    --tx330) sim_family=tx330 ;;
    --rs485) sim_family=rs485 ;;
    *) echo "usage: scripts/run.sh [--rs485|--tx330]" >&2; exit 2 ;;
  esac
done
case "$sim_family" in
  rs485|tx330) ;;
  *) echo "PELNIX_SIM_FAMILY must be rs485 or tx330" >&2; exit 2 ;;
esac

scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
# Only the programs (the window, the command line, the simulated unit); scripts/test.sh builds the tests.
cmake --build build/release -j"$(nproc)" --target pelnix-config pelnix-cli pelnix-unit-sim pelnix-connect-demo

bin=build/release
sim_pid=""
cleanup() { [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true; }
trap cleanup EXIT

# A unit on a USB serial adapter shows up as ttyUSB* or ttyACM*; without one, simulate a unit.
real_unit=$(ls /sys/class/tty 2>/dev/null | grep -E '^tty(USB|ACM)[0-9]+$' || true)
if [ "${PELNIX_NO_SIM:-0}" != 1 ] && [ -z "$real_unit" ]; then
  "$bin/sim/pelnix-unit-sim" --family "$sim_family" --name sim0 &
  sim_pid=$!
  sleep 0.5
fi

# Scan the ports and identify the unit, then open the window where there is a display.
"$bin/src/app/pelnix-connect-demo" || true
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  "$bin/src/app/pelnix-config"
else
  # Without a display the window cannot open; say so instead of ending as if it had run.
  cli="$bin/src/cli/pelnix-cli"
  cat <<EOF

No display (neither DISPLAY nor WAYLAND_DISPLAY is set): the pelnix-config window was not opened.
pelnix-cli does the same work without a window, for example:
  $cli scan                     find the unit on the serial and USB ports
  $cli read -o unit.xml         read the unit's settings into a settings file
  $cli diff unit.xml            compare the unit with a settings file
  $cli write unit.xml           write a settings file to the unit
  $cli firmware show IMAGE.elf  show the settings held in a firmware image
  $cli --help                   every command; each command also takes --help
EOF
fi
