#!/usr/bin/env bash
# Sets up a fresh machine, builds the program and starts it against the instrument
# emulator on a pseudo-terminal.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
if [ "${ZEL_SKIP_SETUP:-}" != 1 ]; then bash "$root/tools/setup.sh"; fi
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEL_TESTS=OFF
cmake --build "$root/build" -j "$(nproc)"
bin="$root/build/bin"
ini="$bin/zel.ini"

# set_key SECTION KEY VALUE: writes one key of zel.ini, keeping everything else.
set_key() {
  local tmp; tmp="$(mktemp)"
  [ -f "$ini" ] || : > "$ini"
  awk -v s="$1" -v k="$2" -v v="$3" '
    BEGIN { IGNORECASE = 1; done = 0 }
    function flush() { if (insec && !done) { print k "=" v; done = 1 } }
    /^[ \t]*\[/ { flush(); insec = (tolower($0) ~ "^[ \t]*\\[" tolower(s) "\\]") }
    insec && tolower($0) ~ "^[ \t]*" tolower(k) "[ \t]*=" { if (!done) print k "=" v; done = 1; next }
    { print }
    END { if (!done) { if (!insec) print "[" s "]"; print k "=" v } }
  ' "$ini" > "$tmp" && mv "$tmp" "$ini"
}

set_key Common HLFileName hwzel.so
set_key Common FilerDllFileName zelfiler.so

emulator_pid=""
cleanup() { if [ -n "$emulator_pid" ]; then kill "$emulator_pid" 2>/dev/null || true; fi; }
trap cleanup EXIT
log="$(mktemp)"
# The emulator runs until its input ends; it stays open for as long as the program runs.
# Like the instrument, it reports its state twice a second.
"$bin/trough-emulator" --info-ms 500 < <(sleep infinity) > "$log" &
emulator_pid=$!
for _ in $(seq 50); do [ -s "$log" ] && break; sleep 0.1; done
port="$(head -n 1 "$log")"
echo "instrument emulator on $port"
set_key PortSettings Port "$port"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "no display: starting under Xvfb"
  xvfb-run -a "$bin/zel"
else
  "$bin/zel"
fi
