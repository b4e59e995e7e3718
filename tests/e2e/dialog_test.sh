#!/bin/bash
# End to end, as a user: "No" in the confirmation box changes nothing and a
# second Ok asks again; Escape before Ok does not stop the run that follows;
# Help writes the instructions and opens the help viewer, or only writes
# them when the help file is absent.
. "$(dirname "$0")/../scripts/lib.sh" "$1" "$2"
tess_need_root "the end-to-end dialog scenarios (a scratch drive)"
DIR="$TESS_TMP/stick"
SHOTS="$TESS_BIN/screenshots"
mkdir -p "$SHOTS"
CONFIRM="Tessarine by the Tessarine authors"

tess_make_drive tmpfs 8 "$DIR"
tess_map_removable g "$DIR"

echo "# No, then a second Ok asks again"
tess_start
w=$(tess_window)
drv select "$w" G:
tess_click "$w" 1
sleep 1
tess_screenshot "$SHOTS/confirmation.png"
box=$(drv answer "$CONFIRM" 101 20000)
tess_check "the question" grep -q "Are you sure you want to clean sectors on \[G\] ?" <<<"$box"
tess_check "the by-line" grep -q "Tessarine Version 0.10 by the Tessarine authors" <<<"$box"
sleep 0.5
tess_equal "nothing logged after No" "" "$(drv log "$w")"
tess_equal "buttons unchanged after No" "ok=1 stop=0 quit=1 help=1 list=1" "$(drv state "$w")"
tess_equal "nothing written" "" "$(ls -A "$DIR")"
tess_click "$w" 1
tess_check "a second Ok asks again" drv find "$CONFIRM" 20000
sleep 0.5
DISPLAY=$DISPLAY xdotool key Return
sleep 1
tess_equal "Enter in the box means No, the default" absent "$(drv find "$CONFIRM" 300 2>/dev/null || echo absent)"
tess_equal "nothing logged after Enter" "" "$(drv log "$w")"
drv click "$w" 105
tess_wait
tess_equal "exit code" 0 "$TESS_CODE"

press_escape() { # the Escape key in the main window, as the user gives it
  tess_click "$1" 113 # focus inside the window; the list drops down
  DISPLAY=$DISPLAY xdotool key Escape # closes the list
  sleep 0.3
  DISPLAY=$DISPLAY xdotool key Escape # reaches the dialog
  sleep 0.5
}
echo "# the Escape key acts as Stop"
tess_start
w=$(tess_window)
press_escape "$w"
tess_equal "Ok stays enabled" "ok=1 stop=0 quit=1 help=1 list=1" "$(drv state "$w")"
drv click "$w" 105
tess_wait
tess_equal "Escape, then Quit: exit code 1" 1 "$TESS_CODE"

echo "# Escape before Ok, then a full run"
tess_start
w=$(tess_window)
press_escape "$w"
drv select "$w" G:
tess_click "$w" 1
drv answer "$CONFIRM" 1 20000 >/dev/null
tess_check "the run is not stopped by the earlier Escape" drv wait-log "$w" "Operation succeeded" 60000
tess_equal "no stop reported" 0 "$(drv log "$w" | grep -c 'Operation was stopped')"
tess_click "$w" 105
tess_wait
tess_equal "exit code after the run" 0 "$TESS_CODE"

echo "# Help, with and without the help file"
tess_start
w=$(tess_window)
tess_click "$w" 106
viewer=$(drv find "Tessarine Help" 20000 >/dev/null && echo shown)
tess_equal "the help viewer opens" shown "$viewer"
tess_equal "the instruction lines" "Either select the diskette drive
Put a diskette in the drive and press OK
Or select a removable USB flash drive
and press OK" "$(drv log "$w" | head -4)"
tess_check "the maker's line" grep -q "the Tessarine authors" < <(drv log "$w" | sed -n 5p)
drv click "$w" 105
tess_wait
tess_equal "exit code" 0 "$TESS_CODE"
"$WINESERVER" -k; tess_restart_wine # closes the viewer

mkdir -p "$TESS_TMP/nohelp"
cp "$TESS_EXE" "$TESS_TMP/nohelp/Tessarine.exe"
"$TESS_LOADER" "$TESS_TMP/nohelp/Tessarine.exe" >/dev/null 2>&1 &
TESS_PID=$!
w=$(tess_window)
tess_click "$w" 106
sleep 2
tess_equal "without the help file no viewer" absent "$(drv find "Tessarine Help" 1000 >/dev/null 2>&1 || echo absent)"
tess_equal "the instruction lines still" 5 "$(drv log "$w" | wc -l)"
drv click "$w" 105
tess_wait
tess_equal "exit code" 0 "$TESS_CODE"
tess_done
