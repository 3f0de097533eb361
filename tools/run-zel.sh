#!/usr/bin/env bash
# Sets up a fresh machine, builds the program and starts it against the instrument
# emulator on a pseudo-terminal.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
if [ "${ZEL_SKIP_SETUP:-}" != 1 ]; then bash "$root/tools/setup.sh"; fi
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEL_TESTS=OFF
cmake --build "$root/build" -j "$(nproc)"
bin="$root/build/bin"

emulator_pid=""
cleanup() { if [ -n "$emulator_pid" ]; then kill "$emulator_pid" 2>/dev/null || true; fi; }
trap cleanup EXIT
if [ -x "$bin/trough-emulator" ]; then
  fifo="$(mktemp -u)"; mkfifo "$fifo"
  "$bin/trough-emulator" > "$fifo" &
  emulator_pid=$!
  read -r port < "$fifo"; rm -f "$fifo"
  echo "instrument emulator on $port"
  "$bin/zel-configure" "$bin/zel.ini" "$port" 2>/dev/null || true
fi
display_args=()
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "no display: starting under Xvfb"
  exec xvfb-run -a "$bin/zel"
fi
"$bin/zel" "${display_args[@]}"
