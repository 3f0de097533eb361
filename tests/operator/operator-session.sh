#!/usr/bin/env bash
# The operator's first minutes, end to end: zel starts against the instrument emulator on
# an X server with a window manager; every main-menu entry is chosen as the operator
# chooses it (mouse on the menu bar, arrow keys, Enter), each window or dialog it opens
# must appear and go again through its own OK or Close; a short isotherm runs to its end;
# File > Exit must end the process and leave zel.ini written. A screenshot of each step
# is kept in the screenshot folder.
# usage: operator-session.sh PROGRAM_FOLDER SCREENSHOT_FOLDER SOURCE_FOLDER
set -uo pipefail
bin="$1"
shots="$2"
source_dir="$3"

if ! command -v Xvfb > /dev/null; then
  echo "SKIPPED: Xvfb is not installed, so there is no X server for the operator session"
  exit 77
fi
for tool in openbox xdotool import compare; do
  if ! command -v "$tool" > /dev/null; then
    echo "the operator session needs $tool (see tools/packages.txt)"
    exit 1
  fi
done

# shellcheck source=../../tools/demo-settings.sh
source "$source_dir/tools/demo-settings.sh"

work="$(mktemp -d)"
rm -rf "$shots"
mkdir -p "$shots"
pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2> /dev/null; done
  wait 2> /dev/null
  # What the instrument saw and the settings as the program left them, beside the pictures.
  cp "$work/emulator.log" "$work/zel.log" "$shots/" 2> /dev/null
  cp "$work/prog/zel.ini" "$shots/zel.ini.after" 2> /dev/null
  rm -rf "$work"
}
trap cleanup EXIT

failures=0
fail() {
  echo "FAILED: $*"
  failures=$((failures + 1))
}
step=0
shot() {
  step=$((step + 1))
  local file
  file="$(printf '%s/%02d-%s.png' "$shots" "$step" "$1")"
  import -display "$DISPLAY" -window root "$file" 2> /dev/null || fail "no screenshot for $1"
  last_shot="$file"
}

# The program folder: the program, its modules and its folders, with a settings file of
# its own.
prog="$work/prog"
mkdir -p "$prog"
for item in zel hwzel.so zelfiler.so Language Help; do
  if [ -e "$bin/$item" ]; then cp -r "$bin/$item" "$prog/"; fi
done

# The X server picks a free display and tells which.
exec 3> "$work/display"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp > "$work/xvfb.log" 2>&1 &
pids+=($!)
exec 3>&-
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
if [ ! -s "$work/display" ]; then
  echo "the X server did not start:"
  cat "$work/xvfb.log"
  exit 1
fi
export DISPLAY=":$(head -n 1 "$work/display")"
openbox > "$work/openbox.log" 2>&1 &
pids+=($!)
sleep 1

mkfifo "$work/emulator-input"
"$bin/trough-emulator" --info-ms 500 --speed-up 20 < "$work/emulator-input" > "$work/emulator.log" 2>&1 &
pids+=($!)
exec 4> "$work/emulator-input"
for _ in $(seq 50); do [ -s "$work/emulator.log" ] && break; sleep 0.1; done
port="$(head -n 1 "$work/emulator.log")"
ini="$prog/zel.ini"
zel_demo_settings "$ini" "$port"
# A short isotherm: from the clean surface to 40 mN/m, in its own window.
for pair in Docked=0 RecOptions=0 TargetOptions=0 Pressure=40 Rate=200 ProcBarrierStep=2; do
  zel_set_key "$ini" IsothermControl "${pair%%=*}" "${pair#*=}"
done
cp "$ini" "$work/zel.ini.before"

# The desktop's own libraries keep a little memory to the end; a leak of the program's
# own still counts (in builds that check for leaks).
printf 'leak:libdbus\nleak:libfontconfig\nleak:libxcb\n' > "$work/leaks.supp"
export LSAN_OPTIONS="suppressions=$work/leaks.supp:print_suppressions=0"
QT_QPA_PLATFORM=xcb "$prog/zel" > "$work/zel.log" 2>&1 &
zel=$!
pids+=("$zel")

# wait_window NAME [SECONDS]: the id of a visible window whose title is NAME (the case of
# letters aside), other than the main window.
main_window=""
wait_window() {
  local id
  for _ in $(seq $((${2:-10} * 10))); do
    id="$(xdotool search --onlyvisible --name "^$1\$" 2> /dev/null | grep -vx "${main_window:-none}" | head -n 1)"
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    sleep 0.1
  done
  return 1
}
# wait_gone ID: true once the window is no longer shown.
wait_gone() {
  for _ in $(seq 100); do
    xdotool search --onlyvisible --name '.' 2> /dev/null | grep -qx "$1" || return 0
    sleep 0.1
  done
  return 1
}
alive() { kill -0 "$zel" 2> /dev/null; }

main_window="$(wait_window 'Zelmora control' 30)"
if [ -z "$main_window" ]; then
  shot start
  echo "the main window did not appear; the program said:"
  cat "$work/zel.log"
  exit 1
fi
sleep 2
shot started

# choose MENU POSITION NAME: the menu's title on the bar is found from the first one (File,
# at the bar's left end) by arrow keys; POSITION counts the menu's enabled entries from 0.
# The open menu with the entry about to be chosen is kept as NAME-menu.
choose() {
  local menu="$1" position="$2" i
  xdotool windowactivate --sync "$main_window" 2> /dev/null
  xdotool mousemove --window "$main_window" 12 10 click 1
  sleep 0.4
  if [ "$menu" = 0 ]; then
    xdotool key Down
  else
    for i in $(seq "$menu"); do xdotool key Right; done
  fi
  for i in $(seq "$position"); do xdotool key Down; done
  sleep 0.2
  shot "$3-menu"
  xdotool key Return
  sleep 1
}

# dialog MENU POSITION TITLE NAME CLOSE...: the entry opens a window with that title; the
# keys CLOSE (or "click X Y" inside it) close it again through its own button.
dialog() {
  local menu="$1" position="$2" title="$3" name="$4" id
  shift 4
  choose "$menu" "$position" "$name"
  id="$(wait_window "$title" 10)"
  shot "$name"
  if [ -z "$id" ]; then
    fail "$name: no window \"$title\" appeared"
    xdotool key Escape
    return
  fi
  xdotool windowactivate --sync "$id" 2> /dev/null
  if [ "$1" = click ]; then
    xdotool mousemove --window "$id" "$2" "$3" click 1
  else
    xdotool key "$@"
  fi
  wait_gone "$id" || fail "$name: \"$title\" did not close through its own button"
  shot "$name-closed"
}

# shown MENU POSITION NAME [optional]: the entry shows something: the screen changes. An
# optional entry (a window this instrument's set-up leaves out) only must not end the program.
shown() {
  local before
  shot "$3-before"
  before="$last_shot"
  choose "$1" "$2" "$3"
  shot "$3"
  local changed
  changed="$(compare -metric AE "$before" "$last_shot" null: 2>&1 | cut -d' ' -f1)"
  if [ "${changed:-0}" = 0 ]; then
    if [ -n "${4:-}" ]; then echo "note: $3 showed nothing"; else fail "$3: nothing appeared on the screen"; fi
  fi
  alive || fail "$3: the program ended"
}

# Help: About (its OK panel, clicked), Device Info (Enter), Help (a viewer or a box).
dialog 4 2 "About" about click 170 216
dialog 4 1 "Device Info" device-info Return
# The help ships as HTML pages; without a viewer on the desktop a box says so.
[ -f "$prog/Help/index.htm" ] || fail "help: the program folder has no Help/index.htm"
if command -v xdg-open > /dev/null; then
  choose 4 0 help
  shot help
  alive || fail "help: the program ended"
else
  dialog 4 0 "Help" help Return
fi
dialog 0 2 "Settings" settings Escape
# The port set-up of the device link.
dialog 2 3 "Port settings" port-settings Escape

# The views, each as the menu lists them.
shown 1 0 view-experimental-setup
shown 1 1 view-layer-by-layer-setup optional
shown 1 2 view-manual-control
shown 1 3 view-deposition-feedback optional
shown 1 4 view-calibrate
shown 1 5 view-isotherm-control
shown 1 6 view-deposition-control optional
shown 1 7 view-dipping-control optional
shown 1 8 view-script-control optional
for entry in "0 cascade" "1 tile-horizontal" "2 tile-vertical" "3 arrange-all"; do
  choose 3 "${entry%% *}" "window-${entry#* }"
  shot "window-${entry#* }"
  alive || fail "window-${entry#* }: the program ended"
done
for entry in "1 disconnect" "0 connect" "2 init-device"; do
  choose 2 "${entry%% *}" "device-${entry#* }"
  shot "device-${entry#* }"
  alive || fail "device-${entry#* }: the program ended"
done

# A short isotherm in the isotherm window: START, then the box that says it is done.
isotherm="$(wait_window 'Isotherm' 5)"
if [ -z "$isotherm" ]; then
  fail "isotherm: the isotherm window is not shown"
else
  xdotool windowactivate --sync "$isotherm" 2> /dev/null
  xdotool mousemove --window "$isotherm" 58 482 click 1
  sleep 2
  shot isotherm-running
  done_box="$(wait_window 'Zelmora Control' 120)"
  shot isotherm-completed
  if [ -z "$done_box" ]; then
    fail "isotherm: the run did not end with its box"
  else
    xdotool windowactivate --sync "$done_box" 2> /dev/null
    xdotool key Return
    wait_gone "$done_box" || fail "isotherm: the box did not close"
  fi
  shot isotherm-graph
fi

# The live graph ends where its table ends. Its picture as the run left it, saved by File >
# Save, must equal its picture once the graph has read its lines again, whole, from the
# table (changing the X column in its property dialog and back reloads every line); and
# the table, as the graph's text export writes it, must end at the run's target pressure.
# red_point: a point of the graph's red line (its first series) on the screen.
red_point() {
  import -display "$DISPLAY" -window root "$work/find.png" 2> /dev/null
  convert "$work/find.png" txt:- 2> /dev/null | awk -F'[,:]' '/#FF0000/ {print $1, $2; exit}'
}
# save_active FILE: File > Save on the active child window; FILE typed into the save dialog.
save_active() {
  local id
  choose 0 1 "save-$(basename "$1")"
  id="$(wait_window 'Save As' 10)"
  if [ -z "$id" ]; then
    shot "no-save-dialog"
    fail "graph: File > Save showed no save dialog for $(basename "$1")"
    xdotool key Escape
    return 1
  fi
  xdotool windowactivate --sync "$id" 2> /dev/null
  xdotool key ctrl+a
  xdotool type --delay 10 "$1"
  xdotool key Return
  wait_gone "$id" || fail "graph: the save dialog did not close"
  for _ in $(seq 50); do [ -s "$1" ] && return 0; sleep 0.1; done
  fail "graph: $(basename "$1") was not written"
  return 1
}
if [ -n "${isotherm:-}" ] && alive; then
  point="$(red_point)"
  if [ -z "$point" ]; then
    fail "graph: no graph line on the screen"
  else
    # shellcheck disable=SC2086
    xdotool mousemove $point click 1
    sleep 0.5
    save_active "$work/graph-as-run.bmp"
    save_active "$work/graph-table.txt"
    # shellcheck disable=SC2086
    xdotool mousemove $point click --repeat 2 1
    properties="$(wait_window 'Graph Properties' 10)"
    shot graph-properties
    if [ -z "$properties" ]; then
      fail "graph: a double click on the graph opened no property dialog"
    else
      xdotool windowactivate --sync "$properties" 2> /dev/null
      xdotool mousemove --window "$properties" 100 256 click 1
      sleep 0.3
      xdotool key Escape Down
      sleep 0.5
      xdotool key Up
      sleep 0.5
      shot graph-reloaded
      # shellcheck disable=SC2086
      xdotool mousemove $point click 1
      sleep 0.5
      save_active "$work/graph-reloaded.bmp"
    fi
    if [ -s "$work/graph-as-run.bmp" ] && [ -s "$work/graph-reloaded.bmp" ]; then
      cp "$work/graph-as-run.bmp" "$work/graph-reloaded.bmp" "$shots/"
      differ="$(compare -metric AE "$work/graph-as-run.bmp" "$work/graph-reloaded.bmp" null: 2>&1 | cut -d' ' -f1)"
      [ "$differ" = 0 ] || fail "graph: the live graph differs in $differ pixels from its table read whole"
    fi
    if [ -s "$work/graph-table.txt" ]; then
      cp "$work/graph-table.txt" "$shots/"
      last="$(grep -E '^ +-?[0-9]' "$work/graph-table.txt" | tail -n 1 | awk '{print $2}')"
      awk -v p="${last:-0}" 'BEGIN {exit !(p >= 40 && p < 42)}' ||
        fail "graph: the table's last row holds ${last:-nothing} mN/m, not the run's end at 40"
    fi
  fi
fi

# File > Exit ends the process, whatever window is open, and writes the settings.
choose 0 3 exit
for _ in $(seq 200); do alive || break; sleep 0.1; done
shot exited
if alive; then
  fail "exit: the program still runs after File > Exit"
  kill "$zel" 2> /dev/null
else
  wait "$zel"
  status=$?
  [ "$status" = 0 ] || fail "exit: the program ended with status $status"
fi
if cmp -s "$ini" "$work/zel.ini.before"; then fail "exit: zel.ini was not written"; fi
grep -qi '^UpdateStatusInterval=' "$ini" || fail "exit: zel.ini lacks the program's settings"
grep -qi '^Docked=' "$ini" || fail "exit: zel.ini lacks the windows' settings"

if [ "$failures" -gt 0 ]; then
  echo "$failures step(s) failed; screenshots in $shots; the program said:"
  cat "$work/zel.log"
  exit 1
fi
echo "operator session passed; screenshots in $shots"
