#!/usr/bin/env bash
# The operator's working day, end to end: zel starts against the instrument emulator, run
# as the start script runs it, on an X server with a window manager. Every main-menu entry
# is chosen as the operator chooses it (mouse on the menu bar, arrow keys, Enter), each
# window or dialog it opens must appear, show its texts whole and go again through its own
# OK or Close; the manual window closes and opens both barriers; an isotherm runs to its
# end and its graph shows its whole table; each accessory window, a Y-type deposition of
# one cycle, a dipping run and a typed script run to their ends and leave their data sets
# on disk; the calibration read back from the device leaves the surface pressure as it
# was; File > Exit must end the process and leave zel.ini written. What the program
# sent is checked in the emulator's log of received frames, what it kept in the files it
# wrote. A screenshot of each step is kept in the screenshot folder.
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
# One model speed for the whole day, as the start script takes it: fast enough that each
# run lasts seconds.
speed_up=60
"$bin/trough-emulator" --info-ms 500 --speed-up "$speed_up" < "$work/emulator-input" > "$work/emulator.log" 2>&1 &
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
# Yesterday's deposition and dipping settings: one Y-type cycle with quick strokes and no
# waits. The pressure and the dipper limits are typed in today; "Save data" is ticked.
for pair in DepositionType=1 NumCycles=1 PlateArea=100 ySpeedUp=120 ySpeedDown=120 WaitWhenUp=0 \
  WaitWhenDown=0 BarrierSpeed=100 Pressure=20 UpperLimit=0 LowerLimit=0 DepositionMethod=0 \
  IsotermControl=0 KeepPressureControl=0; do
  zel_set_key "$ini" DepositionControl "${pair%%=*}" "${pair#*=}"
done
for pair in NumCycles=1 PlateArea=100 UpperLimit=50 LowerLimit=40 SpeedUp=60 SpeedDown=60 WaitWhenUp=0 \
  WaitWhenDown=0 DippingMethod=0; do
  zel_set_key "$ini" DippingControl "${pair%%=*}" "${pair#*=}"
done
cp "$ini" "$work/zel.ini.before"

# The desktop's own libraries keep a little memory to the end; a leak of the program's
# own still counts (in builds that check for leaks).
printf 'leak:libdbus\nleak:libfontconfig\nleak:libxcb\n' > "$work/leaks.supp"
export LSAN_OPTIONS="suppressions=$work/leaks.supp:print_suppressions=0"
start_zel() {
  QT_QPA_PLATFORM=xcb "$prog/zel" >> "$work/zel.log" 2>&1 &
  zel=$!
  pids+=("$zel")
}
start_zel

# wait_window NAME [SECONDS]: the id of a visible window whose title is NAME (the case of
# letters aside), other than the main window.
main_window=""
wait_window() {
  local id end=$((SECONDS + ${2:-10}))
  while :; do
    id="$(xdotool search --onlyvisible --name "^$1\$" 2> /dev/null | grep -vx "${main_window:-none}" | head -n 1)"
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    [ "$SECONDS" -lt "$end" ] || return 1
    sleep 0.1
  done
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

# snap: the whole screen into screen.png, for reading pixels.
snap() { import -display "$DISPLAY" -window root "$work/screen.png" 2> /dev/null; }
# colours X Y WIDTH HEIGHT: "x y colour" for each pixel of that part of the last snap.
colours() {
  convert "$work/screen.png" -crop "$3x$4+$1+$2" +repage txt:- 2> /dev/null |
    awk -v x0="$1" -v y0="$2" 'NR > 1 { split($1, p, "[,:]"); print p[1] + x0, p[2] + y0, $3 }'
}
# piece NAME X Y WIDTH HEIGHT: that part of the last snap, kept as NAME.png for comparing.
piece() { convert "$work/screen.png" -crop "$4x$5+$2+$3" +repage "$work/$1.png" 2> /dev/null; }
# same_text A B: two pieces show the same text: their dark pixels, cut to what they
# cover, are alike (a label that was laid out again may sit a pixel apart).
same_text() {
  local piece
  for piece in "$1" "$2"; do
    convert "$work/$piece.png" -colorspace gray -threshold 50% -trim +repage "$work/$piece-text.png" 2> /dev/null
  done
  [ "$(compare -metric AE "$work/$1-text.png" "$work/$2-text.png" null: 2>&1 | cut -d' ' -f1)" = 0 ]
}
# dark_pixels FILE: how many pixels of a picture are as dark as text.
dark_pixels() {
  convert "$1" -colorspace gray -threshold 35% -format '%[fx:round(w*h*(1-mean))]' info: 2> /dev/null
}
# unclipped ID NAME: no text of the window runs into its right or bottom edge: the last
# pixels of its client area hold nothing as dark as text.
unclipped() {
  local w h right bottom
  import -display "$DISPLAY" -window "$1" "$work/window.png" 2> /dev/null || return 0
  read -r w h < <(identify -format '%w %h\n' "$work/window.png")
  right="$(convert "$work/window.png" -crop "3x$h+$((w - 3))+0" +repage png:- | dark_pixels png:-)"
  bottom="$(convert "$work/window.png" -crop "${w}x3+0+$((h - 3))" +repage png:- | dark_pixels png:-)"
  if [ "${right:-0}" != 0 ] || [ "${bottom:-0}" != 0 ]; then
    cp "$work/window.png" "$shots/clipped-$2.png"
    fail "$2: its texts run into the window's edge ($right pixels at the right, $bottom at the bottom)"
  fi
}
# unclipped_windows: every window now shown and not yet looked at, checked once.
checked_windows=" "
unclipped_windows() {
  local id
  for id in $(xdotool search --onlyvisible --name '.' 2> /dev/null); do
    [ "$id" = "$main_window" ] && continue
    case "$checked_windows" in *" $id "*) continue ;; esac
    checked_windows="$checked_windows$id "
    unclipped "$id" "$(xdotool getwindowname "$id" 2> /dev/null | tr -c 'A-Za-z0-9\n' '-')"
  done
}

# The dock area at the right of the main window: its pages lie left of a column of tabs.
# page_origin: "X Y" of the active page's top left corner, from the last snap: the page
# begins where the line along the top of the dock area's caption begins (that line runs
# from there to the window's edge; windows in front of the main window lie left of it),
# and below the page's caption.
tab_column=1256
page_origin() {
  local x y
  x="$(colours 300 64 975 1 | awk '$3 != "#9F9F9F" { start = 0; next } !start { start = $1 } END { if (start) print start + 1 }')"
  [ -n "$x" ] || return 1
  y="$(colours "$((x + 1))" 60 1 100 | awk '{ c[NR] = $3; if ($3 == "#FBFBFB" && c[NR - 1] == "#ABABAB") { print $2; exit } }')"
  [ -n "$y" ] || return 1
  echo "$x $y"
}
# page_click X Y: a click on the active page, at the place of the page's own layout.
page_click() {
  local origin
  snap
  origin="$(page_origin)" || {
    fail "dock: no page shown in the dock area"
    return 1
  }
  xdotool mousemove "$((${origin% *} + $1))" "$((${origin#* } + $2))" click 1
}
# page_unclipped NAME: nothing of the active page runs under the column of tabs.
page_unclipped() {
  snap
  piece page-edge $((tab_column - 8)) 90 5 660
  local dark
  dark="$(dark_pixels "$work/page-edge.png")"
  if [ "${dark:-0}" != 0 ]; then
    cp "$work/screen.png" "$shots/clipped-$1.png"
    fail "$1: the page runs under the dock area's tabs ($dark dark pixels at its right edge)"
  fi
}
# next_page COUNT: the page COUNT tabs further down becomes active. The tabs are the light
# runs of the column of tabs, the active one white; the one COUNT further is clicked.
next_page() {
  local y
  snap
  y="$(colours "$tab_column" 85 1 680 | awk -v k="$1" '
    $3 != c { if ((c == "#E4E4E4" || c == "#FBFBFB") && n > 10) { tabs++; mid[tabs] = start + int(n / 2); if (c == "#FBFBFB") active = tabs }
              c = $3; start = $2; n = 0 }
    { n++ }
    END { if (active && mid[active + k]) print mid[active + k] }')"
  if [ -z "$y" ]; then
    fail "dock: no tab $1 tabs after the active one"
    return 1
  fi
  xdotool mousemove "$tab_column" "$y" click 1
  sleep 0.7
}

# What the program sent: the emulator's log lines of received frames from a mark on.
mark() { wc -l < "$work/emulator.log"; }
frames_since() { tail -n "+$(($1 + 1))" "$work/emulator.log" | grep '^frame '; }
# The data sets on disk, newest last.
data_sets() { find "$work" -name '*.mps' -printf '%T@ %p\n' 2> /dev/null | sort -n | cut -d' ' -f2-; }
# new_set NAME BEFORE: the set file a run added (BEFORE: the list before it), or nothing.
new_set() { data_sets | grep -vxF -f <(printf '%s\n' "$2") | tail -n 1; }

# run_to_end NAME SECONDS: after START the run ends by itself with the box that says so,
# which Enter closes. False when no box came.
run_to_end() {
  local box
  box="$(wait_window 'Zelmora Control' "$2")"
  shot "$1-ended"
  if [ -z "$box" ]; then
    fail "$1: the run did not end by itself within $2 s"
    return 1
  fi
  xdotool windowactivate --sync "$box" 2> /dev/null
  xdotool key Return
  wait_gone "$box" || fail "$1: the box at the run's end did not close"
  return 0
}
# type_into X Y TEXT: an entry of the active page gets TEXT in place of its value.
type_into() {
  page_click "$1" "$2" || return
  xdotool key ctrl+a
  xdotool type --delay 20 "$3"
  xdotool key Tab
  sleep 0.2
}

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
  sleep 0.3
  unclipped "$id" "$name"
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
  unclipped_windows
}

# The status bar's readings (from its left end: connection, pressure, barrier position,
# area, dipper position).
status_bar_y=782

# The View menu of this instrument lists nine windows; the others (the layer-by-layer and
# pump manual windows, the accessory windows, which are pages of the dock area) are not
# listed. Where more are listed, the entries are found at their places in that longer list.
# The menu's length: the highlight on its first entry, then (Up wraps) on its last.
highlight_y() {
  snap
  colours 60 30 1 760 | awk '$3 == "#308CC6" { n++; s += $2 } END { if (n) print int(s / n) }'
}
xdotool windowactivate --sync "$main_window" 2> /dev/null
xdotool mousemove --window "$main_window" 12 10 click 1
sleep 0.4
xdotool key Right
sleep 0.3
first_y="$(highlight_y)"
xdotool key Up
sleep 0.3
last_y="$(highlight_y)"
shot view-menu-whole
xdotool key Escape Escape
view_names=(experimental-setup layer-by-layer-setup manual-control deposition-feedback calibrate
  isotherm-control deposition-control dipping-control script-control)
if [ -n "$first_y" ] && [ -n "$last_y" ] && [ $((last_y - first_y)) -gt 300 ]; then
  fail "view menu: it lists the windows this instrument does not offer (about $(((last_y - first_y) / 23 + 1)) entries, not 9)"
  view_names=(experimental-setup layer-by-layer-setup manual-control lbl-manual-control pump-control
    deposition-feedback calibrate isotherm-control deposition-control dipping-control script-control)
fi
# view NAME: the View menu's position of the window.
view() {
  local i
  for i in "${!view_names[@]}"; do
    [ "${view_names[$i]}" = "$1" ] && echo "$i" && return
  done
  echo 0
}

# A first, short start on the fresh demonstration settings: the calibration window reads
# the device's stored calibration, which is the demonstration trough's that the program
# already has, so the surface pressure of the clean surface stays as it was (its reading in
# the status bar, steady over two updates before, and after two updates), and File > Exit
# keeps that calibration in zel.ini. The day itself then starts again on the fresh
# settings, so that it does not depend on this step.
choose 1 "$(view calibrate)" calibrate
calibrate="$(wait_window 'Calibrate Device' 10)"
if [ -z "$calibrate" ]; then
  fail "calibrate: no window \"Calibrate Device\" appeared"
else
  snap
  piece pressure-steady 84 "$status_bar_y" 110 16
  sleep 1.5
  snap
  piece pressure-before 84 "$status_bar_y" 110 16
  same_text pressure-steady pressure-before || echo "note: the surface pressure moved before the calibration was read"
  xdotool windowactivate --sync "$calibrate" 2> /dev/null
  # "Get calibrate from device", at the foot of the LB page.
  xdotool mousemove --window "$calibrate" 98 326 click 1
  sleep 2
  shot calibrate-from-device
  snap
  piece pressure-after 84 "$status_bar_y" 110 16
  same_text pressure-before pressure-after ||
    fail "calibrate: \"Get calibrate from device\" changed the surface pressure in the status bar"
  xdotool windowactivate --sync "$calibrate" 2> /dev/null
  xdotool key alt+F4
  wait_gone "$calibrate" || fail "calibrate: the window did not close"
fi

choose 0 3 calibration-exit
for _ in $(seq 200); do alive || break; sleep 0.1; done
if alive; then
  fail "calibrate: the program still runs after File > Exit"
  kill "$zel" 2> /dev/null
fi
wait "$zel" 2> /dev/null
for pair in ballance.hwMin=4096 ballance.hwMax=11296; do
  kept="$(awk -F= -v k="${pair%%=*}" 'tolower($1) == tolower(k) { print $2 }' "$ini" | tr -d '\r')"
  [ "$kept" = "${pair#*=}" ] || fail "calibrate: zel.ini keeps ${pair%%=*}=${kept:-nothing}, not the demonstration's ${pair#*=}"
done
cp "$ini" "$shots/zel.ini.calibration"
cp "$work/zel.ini.before" "$ini"
start_zel
main_window=""
main_window="$(wait_window 'Zelmora control' 30)"
if [ -z "$main_window" ]; then
  shot restart
  echo "the main window did not appear on the second start; the program said:"
  cat "$work/zel.log"
  exit 1
fi
sleep 2
shot restarted

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
shown 1 "$(view experimental-setup)" view-experimental-setup
shown 1 "$(view layer-by-layer-setup)" view-layer-by-layer-setup optional
shown 1 "$(view manual-control)" view-manual-control
shown 1 "$(view deposition-feedback)" view-deposition-feedback optional
shown 1 "$(view calibrate)" view-calibrate
shown 1 "$(view isotherm-control)" view-isotherm-control
shown 1 "$(view deposition-control)" view-deposition-control optional
shown 1 "$(view dipping-control)" view-dipping-control optional
shown 1 "$(view script-control)" view-script-control optional
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

# The manual window, a page of the dock area: Close moves both barriers in (each
# barrier's position changes, and the area in the status bar); Open takes both back to the
# open end, where they started (each position and the area as before).
choose 1 "$(view manual-control)" manual
snap
origin="$(page_origin)"
if [ -z "$origin" ]; then
  fail "manual: no page shown in the dock area"
else
  ox="${origin% *}" oy="${origin#* }"
  barrier_pieces() {
    snap
    piece "right-$1" $((ox + 112)) $((oy + 22)) 60 16
    piece "left-$1" $((ox + 112)) $((oy + 138)) 60 16
    piece "area-$1" 196 "$status_bar_y" 230 16
  }
  barrier_pieces start
  shot manual
  page_unclipped manual
  page_click 43 265
  sleep 3
  page_click 112 265
  sleep 1.5
  barrier_pieces closed
  shot manual-closed
  same_text right-start right-closed && fail "manual: Close did not move the right barrier"
  same_text left-start left-closed && fail "manual: Close did not move the left barrier"
  same_text area-start area-closed && fail "manual: the area did not follow Close"
  page_click 181 265
  sleep 8
  barrier_pieces opened
  shot manual-opened
  same_text right-start right-opened || fail "manual: Open did not take the right barrier back to the open end"
  same_text left-start left-opened || fail "manual: Open did not take the left barrier back to the open end"
  same_text area-start area-opened || fail "manual: after Open the area is not the open trough's"
fi

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

# The accessory windows, each a page of the dock area after the deposition page: START
# runs the process to its end, which the program records in a set file of its own.
# Each: pages after the deposition page, name, START on the page.
for entry in "2 tape 58 665" "3 roll 58 346" "4 disk 58 454" "5 cylinder-membrane 58 454" "6 tape-and-rinse 58 627"; do
  read -r pages name x y <<< "$entry"
  choose 1 "$(view deposition-control)" "$name-dock"
  next_page "$pages" || continue
  shot "$name-window"
  page_unclipped "$name"
  before="$(data_sets)"
  from="$(mark)"
  page_click "$x" "$y" || continue
  sleep 1
  shot "$name-running"
  if ! run_to_end "$name" 45; then
    # Stop (where START was) ends it, so that the next window's run is its own.
    page_click "$x" "$y"
    box="$(wait_window 'Zelmora Control' 5)"
    if [ -n "$box" ]; then
      xdotool windowactivate --sync "$box" 2> /dev/null
      xdotool key Return
    fi
    shot "$name-stopped"
    continue
  fi
  frames_since "$from" | grep -q ' @.. 06 ' || fail "$name: the device was not asked to run the process"
  [ -n "$(new_set "$name" "$before")" ] || fail "$name: the run left no set file"
  alive || fail "$name: the program ended"
done

# hex8 VALUE: a value as the frames carry it.
hex8() { printf '%08X' "$1"; }

# A Y-type deposition of one cycle on its page of the dock area: the operator types the
# pressure and the dipper's limits and ticks "Save data". The run ends by itself; the device
# was sent what was typed (35 mN/m is 11296 - 3500 balance counts, the dipper 400 steps per
# mm); the set file holds the deposition table and the register lists it; the graph shows
# its rows up to the run's end (as the graph's text export writes them).
choose 1 "$(view deposition-control)" deposition
if alive; then
  type_into 180 103 35
  type_into 68 261 50
  type_into 68 287 20
  page_click 16 409
  sleep 0.3
  shot deposition-set
  page_unclipped deposition
  before="$(data_sets)"
  from="$(mark)"
  page_click 197 421
  sleep 2
  shot deposition-running
  if run_to_end deposition 90; then
    sent="$(frames_since "$from")"
    for pair in "pressure $((11296 - 3500))" "upper-limit $((50 * 400))" "lower-limit $((20 * 400))"; do
      grep -q " $(hex8 "${pair#* }")\\\$" <<< "$sent" ||
        fail "deposition: the $(tr - ' ' <<< "${pair% *}") typed was not sent as $(hex8 "${pair#* }")"
    done
    set_file="$(new_set deposition "$before")"
    if [ -z "$set_file" ]; then
      fail "deposition: the run left no set file"
    else
      cp "$set_file" "$shots/deposition.mps"
      grep -qa 'Layer number (Z)' "$set_file" || fail "deposition: the set file $(basename "$set_file") holds no deposition table"
      grep -qaF "$(basename "$set_file")" "$prog/exp.d" 2> /dev/null ||
        fail "deposition: the register does not list $(basename "$set_file")"
    fi
    # The run's graph is the newest child window: the last of the Window menu's list.
    xdotool windowactivate --sync "$main_window" 2> /dev/null
    xdotool mousemove --window "$main_window" 12 10 click 1
    sleep 0.4
    xdotool key Right Right Right Up
    sleep 0.2
    shot deposition-graph-menu
    xdotool key Return
    sleep 0.5
    if save_active "$work/deposition-table.txt"; then
      cp "$work/deposition-table.txt" "$shots/"
      # Its first line (the transfer) runs into the cycle's second stroke (layers 1 to 2):
      # the rows of both strokes reached the graph. The device's last point may come a
      # little before the stroke's end, so the very end is not asked for.
      last="$(awk '/^ +[A-Za-z]/ { lines++ } lines == 1 && /^ +-?[0-9]/ { z = $1 } END { print z }' \
        "$work/deposition-table.txt")"
      awk -v z="${last:-x}" 'BEGIN {exit !(z > 1.5 && z <= 2)}' ||
        fail "deposition: the graph's transfer line ends at layer ${last:-none}, not in the second stroke (1.5 to 2)"
    fi
  fi
fi

# A dipping run on its page: one cycle between 50 and 40 mm, which the script window runs
# and records.
choose 1 "$(view dipping-control)" dipping
if alive; then
  snap
  shot dipping
  page_unclipped dipping
  before="$(data_sets)"
  from="$(mark)"
  page_click 58 429
  sleep 2
  shot dipping-running
  if run_to_end dipping 60; then
    frames_since "$from" | grep -q ' @.. 03 ' || fail "dipping: the dipper was not moved"
    [ -n "$(new_set dipping "$before")" ] || fail "dipping: the run left no set file"
  fi
fi

# A script the operator types into the script window: recorded dipper moves down and up.
choose 1 "$(view script-control)" script
script="$(wait_window 'Script Control' 10)"
if [ -z "$script" ]; then
  fail "script: the script window is not shown"
else
  xdotool windowactivate --sync "$script" 2> /dev/null
  xdotool mousemove --window "$script" 200 150 click 1
  xdotool key ctrl+a Delete
  for line in "info Operator script" "PlateArea= 100.00" "RecordOn" "DipperSpeed= 60.00" \
    "DipperMoveDown 5.00" "Pause 1" "DipperMoveUp 5.00"; do
    xdotool type --delay 10 "$line"
    xdotool key Return
  done
  shot script-typed
  before="$(data_sets)"
  from="$(mark)"
  xdotool mousemove --window "$script" 400 372 click 1
  sleep 2
  shot script-running
  if run_to_end script 60; then
    frames_since "$from" | grep -q ' @.. 03 ' || fail "script: the dipper was not moved"
    [ -n "$(new_set script "$before")" ] || fail "script: the run left no set file"
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
