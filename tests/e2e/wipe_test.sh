#!/bin/bash
# End to end, as a user: a scratch USB stick holding deleted secrets is picked
# in the drive list, Ok, "Yes"; the run succeeds with a full green gauge, and
# afterwards the raw image holds none of the secrets, no fill file is left,
# the file system is clean and the free space is as before. The same on
# ext2 and NTFS, and with the drive named on the command line.
. "$(dirname "$0")/../scripts/lib.sh" "$1" "$2"
tess_need_root "the end-to-end wipe"
MARKER="TESSARINE-E2E-SECRET-$$"
DIR="$TESS_TMP/stick"
SHOTS="$TESS_BIN/screenshots"
mkdir -p "$SHOTS"

run_wipe() { # kind size-MiB how(list|command-line)
  local kind=$1 size=$2 how=$3 w free_before listing box
  echo "# $kind, $size MiB, drive from the $how"
  tess_make_drive "$kind" "$size" "$DIR"
  tess_write_deleted_markers "$DIR" 3 1024 "$MARKER"
  tess_unmount "$DIR"
  tess_check "$kind: secrets are in the free space before" [ "$(tess_marker_count "$TESS_IMAGE" "$MARKER")" -gt 0 ]
  tess_remount "$kind" "$DIR"
  free_before=$(tess_free_kib "$DIR")
  listing=$(ls -A "$DIR")
  tess_map_removable g "$DIR"

  if [ "$how" = list ]; then
    tess_start
    w=$(tess_window)
    tess_check "$kind: G: is offered" grep -qx "G:" < <(drv drives "$w")
    drv select "$w" G:
    [ "$kind" = exfat ] && tess_screenshot "$SHOTS/before-run.png"
    tess_click "$w" 1
    box=$(drv answer "Tessarine by the Tessarine authors" 1 20000)
    tess_check "$kind: the question names G" grep -q "Are you sure you want to clean sectors on \[G\] ?" <<<"$box"
    drive=G:
  else
    tess_start g:
    w=$(tess_window)
    tess_equal "$kind: no drive list" "ok=1 stop=0 quit=1 help=1 list=0" "$(drv state "$w")"
    tess_click "$w" 1
    drive=g:
  fi
  tess_check "$kind: Operation succeeded" drv wait-log "$w" "Operation succeeded" 120000
  sleep 0.5
  local log
  log=$(drv log "$w")
  echo "$log" | sed 's/^/     | /'
  tess_equal "$kind: first lines" "Working... This may take some time
Cleaning un-used sectors on drive $drive" "$(echo "$log" | head -2)"
  tess_check "$kind: one fill file" grep -q "^Creating file \[$drive\\\\_[0-9A-V]*\.AAA\]$" <<<"$log"
  tess_equal "$kind: buttons after success" "ok=0 stop=0 quit=1 help=1 list=$([ "$how" = list ] && echo 1 || echo 0)" \
    "$(drv state "$w")"
  tess_screenshot "$TESS_TMP/done.png"
  [ "$kind$how" = exfatlist ] && cp "$TESS_TMP/done.png" "$SHOTS/succeeded.png"
  tess_equal "$kind: gauge full and green" "0,255,0" "$(tess_pixel "$TESS_TMP/done.png" $(tess_gauge_point "$w" 98))"
  tess_click "$w" 105
  tess_wait
  tess_equal "$kind: exit code" 0 "$TESS_CODE"
  tess_equal "$kind: no fill file left" "$listing" "$(ls -A "$DIR")"
  tess_equal "$kind: free space as before" "$free_before" "$(tess_free_kib "$DIR")"
  tess_unmount "$DIR"
  tess_equal "$kind: no secret left in the raw image" 0 "$(tess_marker_count "$TESS_IMAGE" "$MARKER")"
  tess_check "$kind: file system clean" tess_fsck "$kind"
  tess_drop_drive "$DIR" g
}

run_wipe exfat 32 list
run_wipe ext2 16 list
run_wipe ntfs 32 list
run_wipe exfat 16 command-line
tess_done
