#!/usr/bin/env bash
# Sets up a fresh machine, builds the program and starts it against the instrument
# emulator on a pseudo-terminal.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
if [ "${ZEL_SKIP_SETUP:-}" != 1 ]; then bash "$root/tools/setup.sh"; fi
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEL_TESTS=OFF
cmake --build "$root/build" -j "$(nproc)"
bin="$root/build/bin"
# shellcheck source=demo-settings.sh
source "$root/tools/demo-settings.sh"

work="$(mktemp -d)"
emulator_pid=""
# Nothing of the run stays behind: the emulator, its input and its log go with the script.
cleanup() {
  exec 4>&-
  if [ -n "$emulator_pid" ]; then
    kill "$emulator_pid" 2>/dev/null || true
    wait "$emulator_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
log="$work/emulator.log"
mkfifo "$work/emulator-input"
# The emulator runs until its input ends: this script holds the input open for as long as
# the program runs, and the input ends with the script.
# Like the instrument, it reports its state twice a second; its drives and film follow the
# trough's physical model in real time (ZEL_EMULATOR_SPEED_UP runs that model faster).
"$bin/trough-emulator" --info-ms 500 --speed-up "${ZEL_EMULATOR_SPEED_UP:-1}" < "$work/emulator-input" > "$log" &
emulator_pid=$!
exec 4> "$work/emulator-input"
for _ in $(seq 50); do [ -s "$log" ] && break; sleep 0.1; done
port="$(head -n 1 "$log")"
echo "instrument emulator on $port"
zel_demo_settings "$bin/zel.ini" "$port"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "no display: starting under Xvfb"
  xvfb-run -a "$bin/zel"
else
  "$bin/zel"
fi
