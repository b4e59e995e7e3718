#!/bin/bash
# The real program's start and end: the window comes no sooner than the
# worker's 1200 ms pause, the exit codes 0 and 1, the refusal of a system
# outside the NT family (exit -1, 255 in the shell), and a system of the NT
# family older than XP that is accepted.
. "$(dirname "$0")/lib.sh" "$1" "$2"

echo "# Quit right away: exit code 0"
start=$(date +%s%N)
tess_start
w=$(tess_window)
shown=$(( ($(date +%s%N) - start) / 1000000 ))
tess_check "the window appears ($shown ms after the start)" [ -n "$w" ]
tess_check "not before the worker's pause of 1200 ms" [ "$shown" -ge 1200 ]
tess_equal "buttons when ready" "ok=1 stop=0 quit=1 help=1 list=1" "$(drv state "$w")"
drv click "$w" 105
tess_wait
tess_equal "exit code after Quit" 0 "$TESS_CODE"

echo "# Escape, then Quit: exit code 1"
tess_start
w=$(tess_window)
drv click "$w" 2
tess_equal "after Escape" "ok=1 stop=0 quit=1 help=1 list=1" "$(drv state "$w")"
drv click "$w" 105
tess_wait
tess_equal "exit code after Escape and Quit" 1 "$TESS_CODE"

echo "# a help switch writes the instructions at start"
tess_start /?
w=$(tess_window)
tess_equal "first log line" "Either select the diskette drive" "$(drv log "$w" | head -1)"
drv click "$w" 105
tess_wait
tess_equal "exit code" 0 "$TESS_CODE"

echo "# a system outside the NT family is refused"
cp "$TESS_EXE" "$TESS_BIN/Tessarine98.exe"
tess_on_exit "rm -f '$TESS_BIN/Tessarine98.exe'"
"$WINE64" reg add 'HKCU\Software\Wine\AppDefaults\Tessarine98.exe' /v Version /t REG_SZ /d win98 /f >/dev/null 2>&1
tess_on_exit "'$WINE64' reg delete 'HKCU\\Software\\Wine\\AppDefaults\\Tessarine98.exe' /f"
"$TESS_LOADER" "$TESS_BIN/Tessarine98.exe" >/dev/null 2>&1 &
pid=$!
box=$(drv answer "Error !!!" 1 20000)
tess_check "the message box says why" grep -q "Tessarine must be run under Windows XP or Vista." <<<"$box"
tess_wait $pid
tess_equal "exit code in the shell" 255 "$TESS_CODE"

echo "# Windows NT 4 is of the NT family: accepted"
"$WINE64" reg add 'HKCU\Software\Wine\AppDefaults\Tessarine98.exe' /v Version /t REG_SZ /d nt40 /f >/dev/null 2>&1
"$TESS_LOADER" "$TESS_BIN/Tessarine98.exe" >/dev/null 2>&1 &
pid=$!
w=$(tess_window)
tess_check "the main window appears" [ -n "$w" ]
drv click "$w" 105
tess_wait $pid
tess_equal "exit code" 0 "$TESS_CODE"

tess_done
