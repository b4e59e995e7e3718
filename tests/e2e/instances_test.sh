#!/bin/bash
# End to end: two instances at once, each on its own drive. Each cleans its
# own drive only when its own Ok is pressed: the semaphores of one instance
# never wake the other's worker. Both windows lie in the middle of the
# screen, one over the other, so the driver presses the buttons here.
. "$(dirname "$0")/../scripts/lib.sh" "$1" "$2"
tess_need_root "the two-instance scenario (two scratch drives)"
tess_make_drive tmpfs 16 "$TESS_TMP/one"
tess_make_drive tmpfs 16 "$TESS_TMP/two"
tess_map_drive g "$TESS_TMP/one" floppy
tess_map_drive h "$TESS_TMP/two" floppy
tess_on_exit "tess_unmap_drive g"
tess_on_exit "tess_unmap_drive h"
tess_restart_wine

tess_start g:
first_pid=$TESS_PID
first=$(tess_window 1)
tess_start h:
second_pid=$TESS_PID
second=$(drv wait-windows 2 20000 | grep -v -x "$first" | head -1)
tess_check "two windows" [ -n "$first" ] && [ -n "$second" ]

drv click "$first" 1
tess_check "the first instance cleans its drive" drv wait-log "$first" "Operation succeeded" 30000
sleep 1
tess_equal "the second instance has not started" "" "$(drv log "$second")"
tess_equal "the second instance is still ready" "ok=1 stop=0 quit=1 help=1 list=0" "$(drv state "$second")"
tess_check "the first run was on g:" grep -qx "Cleaning un-used sectors on drive g:" < <(drv log "$first")

drv click "$second" 1
tess_check "the second instance cleans its own drive" drv wait-log "$second" "Operation succeeded" 30000
tess_check "the second run was on h:" grep -qx "Cleaning un-used sectors on drive h:" < <(drv log "$second")
tess_equal "the first instance's log is unchanged" 6 "$(drv log "$first" | wc -l)"

drv click "$first" 105
drv click "$second" 105
tess_wait "$first_pid"
tess_equal "first exit code" 0 "$TESS_CODE"
tess_wait "$second_pid"
tess_equal "second exit code" 0 "$TESS_CODE"
tess_equal "nothing left on either drive" "" "$(ls -A "$TESS_TMP/one" "$TESS_TMP/two" | grep -v ':$' | grep -v '^$' || true)"
tess_done
