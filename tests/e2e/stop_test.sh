#!/bin/bash
# End to end: Stop in the middle of a larger drive (a 4 GiB tmpfs, which the
# tool fills in two to four seconds here): "Operation was stopped", a red gauge
# at half length, exit code 1, and every fill file gone, even when Quit is
# pressed right after Stop.
. "$(dirname "$0")/../scripts/lib.sh" "$1" "$2"
tess_need_root "the stop scenario (a 4 GiB tmpfs)"
DIR="$TESS_TMP/big"
SHOTS="$TESS_BIN/screenshots"
mkdir -p "$SHOTS"
tess_make_drive tmpfs 4096 "$DIR"
tess_map_removable g "$DIR"

for quit_at_once in no yes; do
  echo "# Stop, and Quit $([ $quit_at_once = yes ] && echo "right after it" || echo "later")"
  tess_start g:
  w=$(tess_window)
  tess_click "$w" 1
  # The whole drive takes a few seconds: stop as soon as the fill has begun.
  for _ in $(seq 200); do [ -n "$(ls -A "$DIR")" ] && break; sleep 0.02; done
  tess_check "fill files are being written" [ -n "$(ls -A "$DIR")" ]
  tess_click "$w" 217
  if [ $quit_at_once = yes ]; then
    tess_click "$w" 105
  else
    tess_check "the run reports the stop" drv wait-log "$w" "Operation was stopped" 30000
    sleep 0.5
    tess_equal "buttons after the stop" "ok=0 stop=0 quit=1 help=1 list=0" "$(drv state "$w")"
    tess_screenshot "$TESS_TMP/stopped.png"
    cp "$TESS_TMP/stopped.png" "$SHOTS/stopped.png"
    tess_equal "red at a quarter" "255,0,0" "$(tess_pixel "$TESS_TMP/stopped.png" $(tess_gauge_point "$w" 25))"
    tess_equal "red up to the middle" "255,0,0" "$(tess_pixel "$TESS_TMP/stopped.png" $(tess_gauge_point "$w" 48))"
    tess_check "not red past the middle" \
      [ "$(tess_pixel "$TESS_TMP/stopped.png" $(tess_gauge_point "$w" 60))" != "255,0,0" ]
    tess_equal "last log line" "Operation was stopped" "$(drv log "$w" | tail -1)"
    # Another window over the band, then gone: the gauge is painted again.
    read -r left top width height < <(drv client "$w")
    drv cover "$left" "$((top + height * 5 / 6 - 20))" "$width" 70 700
    sleep 0.5
    tess_screenshot "$TESS_TMP/uncovered.png"
    tess_equal "red again after being covered" "255,0,0" \
      "$(tess_pixel "$TESS_TMP/uncovered.png" $(tess_gauge_point "$w" 25))"
    tess_click "$w" 105
  fi
  tess_wait
  tess_equal "exit code" 1 "$TESS_CODE"
  tess_equal "every fill file deleted" "" "$(ls -A "$DIR")"
  tess_equal "all the space free again" "$((4096 * 1024))" "$(tess_free_kib "$DIR")"
done
tess_done
