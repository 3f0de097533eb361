#!/usr/bin/env bash
# Settings-file helpers shared by the start script and the operator test; source it.
# zel_set_key INI SECTION KEY VALUE writes one key, keeping everything else.
# zel_demo_settings INI PORT names the libraries and the port and, when INI does not
# exist yet, describes the demonstration trough that the emulator models.

zel_set_key() {
  local ini="$1" tmp
  tmp="$(mktemp)"
  [ -f "$ini" ] || : > "$ini"
  awk -v s="$2" -v k="$3" -v v="$4" '
    BEGIN { IGNORECASE = 1; done = 0 }
    function flush() { if (insec && !done) { print k "=" v; done = 1 } }
    /^[ \t]*\[/ { flush(); insec = (tolower($0) ~ "^[ \t]*\\[" tolower(s) "\\]") }
    insec && tolower($0) ~ "^[ \t]*" tolower(k) "[ \t]*=" { if (!done) print k "=" v; done = 1; next }
    { print }
    END { if (!done) { if (!insec) print "[" s "]"; print k "=" v } }
  ' "$ini" > "$tmp" && mv "$tmp" "$ini"
}

# The demonstration trough: 400 steps per mm on barriers and dipper, speed codes in steps
# per second, a film 7.5 cm wide and 240 cm² when open, both balances (main and doser) at
# 11296 counts on a clean surface and 100 counts fewer per mN/m; and 20 µL of a 1 mg/mL stearic acid
# solution spread on it, so the first reading is about 0 mN/m.
zel_demo_settings() {
  local ini="$1" port="$2" fresh=0 drive name pair
  [ -f "$ini" ] || fresh=1
  zel_set_key "$ini" Common HLFileName hwzel.so
  zel_set_key "$ini" Common FilerDllFileName zelfiler.so
  zel_set_key "$ini" PortSettings Port "$port"
  [ "$fresh" = 1 ] || return 0
  for drive in barrier1:58000 barrier2:58000 dipper:40000; do
    name="${drive%%:*}"
    for pair in Fclk=1 FclkDivide=1 uSteps=1 numStepsPerOborot=400 gear=1 vintStep=1 hwMin=0 \
      "hwMax=${drive##*:}" zeroHw=0 minSpeed=0.01 maxSpeed=2 old=0; do
      zel_set_key "$ini" CalibrateParam "$name.${pair%%=*}" "${pair#*=}"
    done
  done
  # The accessories' drives take the same speed codes: steps per second.
  for name in doser rotatingBarrier tape diskDipper cylDipper; do
    for pair in Fclk=1 FclkDivide=1 uSteps=1 old=0; do
      zel_set_key "$ini" CalibrateParam "$name.${pair%%=*}" "${pair#*=}"
    done
  done
  for pair in ballance.shMin=0 ballance.shMax=72 ballance.hwMin=4096 ballance.hwMax=11296 \
    doserBallance.shMin=0 doserBallance.shMax=72 doserBallance.hwMin=4096 doserBallance.hwMax=11296 \
    surface.length=7.5 surface.squareMin=22.5 surface.squareMax=240; do
    zel_set_key "$ini" CalibrateParam "${pair%%=*}" "${pair#*=}"
  done
  for pair in "CompoundName=Stearic acid" Aliquot=0.02 CompositionCount=1 "SolName0=Stearic acid" \
    M_ind0=284.48 m_par0=0.001; do
    zel_set_key "$ini" ExpSetupForm "${pair%%=*}" "${pair#*=}"
  done
}
