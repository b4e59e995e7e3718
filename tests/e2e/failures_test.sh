#!/bin/bash
# End to end, the ways a run can go wrong: no medium, a write-protected
# medium, a drive that another program fills during the run, and a file in
# the drive's root that bears the name the tool would pick.
. "$(dirname "$0")/../scripts/lib.sh" "$1" "$2"
tess_need_root "the failure scenarios (scratch drives)"
DIR="$TESS_TMP/stick"
CONFIRM="Tessarine by the Tessarine authors"

start_on() { # letter: picks the drive in the list and confirms
  tess_start
  w=$(tess_window)
  drv select "$w" "$1:"
  tess_click "$w" 1
  drv answer "$CONFIRM" 1 20000 >/dev/null
}

echo "# no medium"
tess_map_removable h "$TESS_TMP/no-medium"
start_on H
tess_check "the report" drv wait-log "$w" "Be sure drive H: is available to the system" 20000
tess_equal "the log" "Working... This may take some time
Cleaning un-used sectors on drive H:
Cannot detect Free space on drive H:
Be sure drive H: is available to the system" "$(drv log "$w")"
tess_equal "buttons: only Stop leads out" "ok=0 stop=1 quit=0 help=1 list=1" "$(drv state "$w")"
tess_click "$w" 217
sleep 0.3
tess_equal "Stop enables Quit" "ok=0 stop=0 quit=1 help=1 list=1" "$(drv state "$w")"
tess_click "$w" 105
tess_wait
tess_equal "Stop then Quit: exit code 1" 1 "$TESS_CODE"
tess_check "nothing was created" [ ! -e "$TESS_TMP/no-medium" ]

echo "# write-protected medium"
tess_make_drive tmpfs 8 "$DIR"
mount -o remount,ro "$DIR"
tess_map_removable g "$DIR"
start_on G
tess_check "the error is reported" tess_wait_log_match "$w" '^Error opening file' 20
log=$(drv log "$w")
echo "$log" | sed 's/^/     | /'
tess_check "Creating file [...]" grep -q '^Creating file \[G:\\_[0-9A-V]*\.AAA\]$' <<<"$log"
tess_check "Error opening file [...]" grep -q '^Error opening file \[G:\\_[0-9A-V]*\.AAA\]$' <<<"$log"
tess_equal "nothing more" "Error opening file" "$(tail -1 <<<"$log" | cut -c1-18)"
drv click "$w" 217
drv click "$w" 105
tess_wait
tess_equal "exit code" 1 "$TESS_CODE"
tess_unmount "$DIR"

echo "# another program fills the drive during the run"
tess_make_drive tmpfs 256 "$DIR"
tess_map_removable g "$DIR"
tess_start g:
w=$(tess_window)
( for i in $(seq 2000); do head -c 262144 /dev/zero >"$DIR/other$i" 2>/dev/null || break; sleep 0.005; done ) &
writer=$!
tess_on_exit "kill $writer"
sleep 0.2
tess_click "$w" 1
tess_check "the run ends by itself" drv wait-log "$w" "Operation succeeded" 60000
wait "$writer"
drv log "$w" | sed 's/^/     | /'
tess_click "$w" 105
tess_wait
tess_equal "exit code" 0 "$TESS_CODE"
tess_equal "no fill file left" "" "$(ls -A "$DIR" | grep -v '^other' || true)"
tess_check "the other program's files are untouched" [ -s "$DIR/other1" ]
tess_unmount "$DIR"

base32_id() { # the process id as the tool writes it in its fill-file names
  local n=$1 d=0123456789ABCDEFGHIJKLMNOPQRSTUV s=""
  while :; do s="${d:$((n % 32)):1}$s"; n=$((n / 32)); [ "$n" -eq 0 ] && break; done
  echo "$s"
}

echo "# a file bearing the tool's name is left alone"
tess_make_drive tmpfs 8 "$DIR"
tess_map_removable g "$DIR"
tess_start g:
w=$(tess_window)
pid=$(drv pid "$w")
digits=$(base32_id "$pid")
echo "precious contents" >"$DIR/_$digits.AAA"
tess_click "$w" 1
tess_check "the run succeeds" drv wait-log "$w" "Operation succeeded" 30000
tess_check "it picks another name" grep -qx "Creating file \[g:\\\\_$digits.ABA\]" < <(drv log "$w")
tess_click "$w" 105
tess_wait
tess_equal "the file survives with its contents" "precious contents" "$(cat "$DIR/_$digits.AAA")"
tess_equal "nothing else is left" "_$digits.AAA" "$(ls -A "$DIR")"
tess_done
