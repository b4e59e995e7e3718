#!/bin/bash
# End to end: the real Tessarine.exe under Wine, operated as a user does, on
# scratch drives that the test makes; one row per scenario, its fields:
# drive   KIND SIZE_MiB [OPTION...]: ext2, exfat, tmpfs, ro, faulty (ext2
#         behind tests/faulty/faultfs.py, the options its faults), missing (no
#         medium), - (none); link (a link to a folder outside the drive); stick
#         FS SEED: the net's stick of that seed (tests/e2e/sticks.py: names in
#         every script, folders deleted whole; FAT and exfat-kernel through the
#         real driver in a small VM; SEED a shape's words, as kept,many=3000:
#         a stick of that shape, its deleted data, names and kept files
#         checked by stick=clean); as=exFAT: the program
#         told that name for the drive (tests/told: the path Windows takes on
#         an exFAT stick, which Wine names NTFS)
# start   list (pick G:), listA (A:), cmd (g: on the command line), nohelp
#         (no help file), dist (the
#         release zip's program), unit:FILTER (unit tests on the full drive);
#         with @DPI after it (list@144) the screen's scale set to DPI (144 for
#         150 %, 192 for 200 %)
# steps   ok yes stop quit help, wait (for last=), done (for the summary of
#         any end), leave (Stop when it is on, then Quit), writing (fill files
#         appear), nobox, check (the
#         window), shot:NAME (a screenshot),
#         kill (the process ended half-way), again (the tool started anew),
#         naming (the names step has begun), pull (the drive letter removed),
#         timeleft (the status line shows the time left), ticking (the names
#         step's status line moves within a second), powercut (the FAT VM
#         killed right after the names step: its cache is lost, as a pulled
#         plug loses a stick's), copy (the log's lines, all of them, copied
#         with Ctrl+A and Ctrl+C, and read back from the clipboard)
# expect  last=, has= (REGEX, log lines), status= (REGEX, the status line), lines=N, state=OSQHL (Ok, Stop, Quit,
#         Help enabled, list shown), measured=yes (what the drive reports),
#         viewer=shown|absent, shown>=MS (the window's delay), code=N (N,M: either),
#         left=N (fill files), fsck=yes, free=same, outside=same (nothing written
#         through the link), stick=clean (the net's checks of its deleted and
#         kept files; stick=image: of the image alone)
. "$(dirname "$0")/../../scripts/wine/drives.sh" "$1" "$2"
DIR="$TESS_MNT/stick"
. "$TESS_SRC/tests/e2e/sticks.sh"
TESS_FAILURES=0 TESS_CHECKS=0
tess_check() { # description, then a command that must succeed
  local what=$1; shift
  tess_equal "$what" ok "$("$@" >/dev/null 2>&1 && echo ok || echo "the check failed")"
}
tess_equal() { # description, expected, actual
  TESS_CHECKS=$((TESS_CHECKS + 1))
  [ "$2" = "$3" ] && { echo "ok   - $1"; return; }
  printf 'FAIL - %s\n       expected: %s\n       actual:   %s\n' "$1" "$2" "$3"
  TESS_FAILURES=$((TESS_FAILURES + 1))
}
tess_done() { echo "$((TESS_CHECKS - TESS_FAILURES)) passed, $TESS_FAILURES failed"; [ "$TESS_FAILURES" -eq 0 ]; }

# Tessarine (or another copy of it: TESS_RUN_EXE) in the background.
tess_start() {
  "$TESS_LOADER" "${TESS_RUN_EXE:-$TESS_EXE}" "$@" >/dev/null 2>&1 &
  TESS_PID=$!
  tess_on_exit "kill $TESS_PID"
}
tess_wait() { # pid seconds: waits for it to end; sets TESS_CODE
  local pid=$1
  for _ in $(seq $(($2 * 10))); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$pid" 2>/dev/null; then kill "$pid"; TESS_CODE=timeout; else wait "$pid"; TESS_CODE=$?; fi
}

[ "$(id -u)" -eq 0 ] || { echo "SKIPPED: the scratch drives need root"; [ "${CI:-}" = true ] && exit 1; exit 77; }
ONLY=${TESS_SCENARIO:-} # run only the rows whose name matches this
# The 32-bit build runs the rows where the builds can differ (the engine and
# the file layer on every file system once, threads, semaphores, HTML Help's
# calls, the program's imports); the others test logic that both share (a
# killed run's leftovers: the rule is pure and unit-tested on both builds).
WIN32_ROWS='^(exFAT stick|the net.s stick 1 ext2-4k$|NTFS stick|diskette in A:|named exFAT: the stick is pulled out during the names|a slow stick|worn flash, from near|Help opens|the release zip|FileWrite on a full)'
[ "$TESS_LOADER" = "$WINE32" ] && [ -z "$ONLY" ] && ONLY=$WIN32_ROWS
SHOTS="$TESS_BIN/screenshots" CONFIRM="Tessarine by the Tessarine authors"
BACK="$TESS_MNT/back"
mkdir -p "$SHOTS"

SCENARIOS=$(cat <<'EOF'
exFAT stick chosen in the list | stick exfat 1 | list | shot:before-run ok shot:confirmation yes wait check shot:succeeded quit | last=Operation succeeded status=^[0-9.]+ MB written in [0-9.]+ s \([0-9.]+ [KM]B/s\)$ state=00111 code=0 stick=clean left=0 fsck=yes free=same
NTFS stick with small deleted files, chosen in the list | stick ntfs small=400 | list | ok yes wait check quit | last=Operation succeeded has=^[1-9][0-9]* free records of the file table were overwritten$ state=00111 code=0 stick=clean left=0 fsck=yes free=same
NTFS: hundreds of names deleted in a folder of several index blocks, more than the root's index takes | stick ntfs hundreds | cmd | ok wait check quit | last=Operation succeeded has=^[1-9][0-9]* free records of the file table were overwritten$ code=0 stick=clean left=0 fsck=yes free=same
NTFS: 300 small files deleted in the root of a 16 MiB stick, every record taken | stick ntfs small=300,mib=16 | cmd | ok wait check quit | last=Operation succeeded code=0 stick=clean left=0 fsck=yes free=same
a run killed half-way: the next one clears its files first | stick exfat kept,mib=256 | cmd | ok writing kill again ok wait check quit | last=Operation succeeded has=^Deleting file \[g:\\_[0-9A-V]+\.AAA\] left by an earlier run$ code=0 stick=clean left=0 fsck=yes free=same
named exFAT: a run killed in the names step, the next one clears its files in every folder | stick exfat kept,many=3000,mib=64 as=exFAT | cmd | ok naming ticking shot:names-step kill again ok wait check quit | last=Operation succeeded has=^Deleting [0-9]+ files left by an earlier run in folder \[g:\\.+\\\]$ code=0 stick=clean left=0 fsck=yes free=same
named exFAT: the stick is pulled out during the names step, no success | stick exfat many=2000,mib=64 as=exFAT | cmd | ok naming pull wait check stop quit | last=Be sure drive g: is available to the system has=^Cannot delete [0-9]+ files in folder \[g:\\ code=1
exFAT: the root's first free runs are those of names of 30 and 45 characters deleted between kept files | stick exfat root-runs | cmd | ok done check leave | last=Operation succeeded code=0 stick=clean left=0 fsck=yes free=same
exFAT named exFAT: the root's first free runs are those of names of 30 and 45 characters | stick exfat root-runs as=exFAT | cmd | ok done check leave | last=Operation succeeded code=0 stick=clean left=0 fsck=yes free=same
exFAT named exFAT, a full stick whose root has no free entry: the names deleted in its folders still go | stick exfat full as=exFAT | cmd | ok done check leave | last=Operation succeeded code=0 stick=clean left=0 fsck=yes free=same
a full FAT32 stick whose root has no free entry: the names deleted in its folders still go | stick fat32 full | cmd | ok done check leave | last=Operation succeeded code=0 stick=clean left=0 fsck=yes free=same
diskette in A: through the FAT driver, no question | stick fat12 1 | listA | ok nobox wait check quit | last=Operation succeeded measured=yes state=00111 code=0 stick=clean left=0 fsck=yes free=same
FAT32 stick chosen in the list: a run killed in the names step, the next one clears its files | stick fat32 3 | list | ok yes naming kill again ok yes wait check quit | last=Operation succeeded has=left by an earlier run state=00111 code=0 stick=clean left=0 fsck=yes free=same
a power cut right after the names step: the old names are gone from the medium | stick fat32 2 | cmd | ok powercut stop quit | code=0,1 stick=image
a link on the stick to a folder outside it | ext2 16 link | cmd | ok wait check quit | last=Operation succeeded code=0 left=0 outside=same
worn flash, from near the start: the zeros are not kept, no success | faulty 48 lose-after=2000000 | list | ok yes wait check stop quit | last=Drive G: did not keep the zeros written to it: its free space may still hold deleted data state=01011 code=1 left=0
the flush to the medium fails | faulty 16 fail-fsync | list | ok yes wait check stop quit | last=Error writing file \[G:\\_[0-9A-V]+\.AAA\] state=01011 code=1 left=0
the stick is pulled out during the run | faulty 16 vanish=4000000 | list | ok yes wait check stop quit | last=Be sure drive G: is available to the system has=^Cannot delete file \[G: state=01011 code=1
a slow stick to the end, read back from the medium: the time left, then the summary | faulty 24 mbps=3 direct-io | cmd | ok timeleft shot:time-left wait check quit | last=Operation succeeded status=^[0-9.]+ MB written in [0-9.]+ s \([0-9.]+ [KM]B/s\)$ code=0 left=0 free=same
a slow stick: Stop, then Quit at once | faulty 16 mbps=0.05 | cmd | ok writing stop quit | code=1 left=0 free=same
no medium | missing 0 | list | ok yes wait check stop quit | last=Be sure drive G: is available to the system lines=4 state=01011 code=1
write-protected medium: its log copied | ro 8 | list | ok yes wait check copy stop quit | last=Error opening file \[G:\\_[0-9A-V]+\.AAA\] state=01011 code=1
the window at 150 %: sharp, every text whole | exfat 32 | list@144 | ok yes wait check shot:scale-150 quit | last=Operation succeeded code=0 left=0
Stop during the run, Quit later | tmpfs 4096 | cmd | ok writing stop wait check shot:stopped quit | last=Operation was stopped status=^Stopped: [0-9.]+ [MG]B written in .* state=00110 code=1 left=0 free=same
Quit at once: the window waits for the worker's pause | tmpfs 8 | list | check quit | shown>=1200 state=10111 code=0 left=0
Help opens the viewer and writes the instructions | - | list | help check quit | viewer=shown lines=5 code=0
Help without the help file writes the instructions | - | nohelp | help check quit | viewer=absent lines=5 code=0
the release zip's program starts and quits | - | dist | check quit | state=10111 code=0
FileWrite on a full drive gives 0 | tmpfs 2 | unit:FullDrive.* | | code=0
EOF
)
# The net of seeded sticks (tests/e2e/sticks.py), a row each: seeds 1 and 2
# per file system but those the rows above take (FAT's mounts take ~20 s
# each), or those of TESS_NET_SEEDS and TESS_NET_FS (make soak). Seed 1 of
# ntfs and ext2-4k and seed 2 of ext2-1k kept deleted data or names on the
# build before the records went before the names step; exFAT sticks 12 and 17
# kept pieces of deleted names beside the root's fill file. An exFAT stick
# runs on both paths: as Windows names it (exFAT) and as Wine does (NTFS).
declare -A NET_SEEDS=([exfat]="12 17" [exfat-kernel]=17 [fat32]="" [fat12]="")
for fs in ${TESS_NET_FS:-exfat exfat-kernel fat32 fat12 ntfs ext2-1k ext2-4k}; do
  seeds=${TESS_NET_SEEDS:-${NET_SEEDS[$fs]-1 2}}
  for seed in $seeds; do
    for as in $([ "${fs#exfat}" != "$fs" ] && echo "exFAT") NTFS; do
      [ "$fs" = exfat-kernel ] && [ -z "${TESS_NET_SEEDS:-}" ] && [ $as = NTFS ] && continue # one VM row in make test
      named=$([ $as = exFAT ] && echo ", named exFAT")
      SCENARIOS+=$'\n'"the net's stick $seed $fs$named | stick $fs $seed $([ $as = exFAT ] && echo as=exFAT) | cmd | ok done check leave | last=Operation succeeded code=0 stick=clean left=0 fsck=yes free=same"
    done
  done
done
STICKS_PASSED=0 STICKS_FAILING=""

# --- drives -----------------------------------------------------------------
# The kept files of a stick that look like fill files (sticks.py's kept).
LOOKALIKE=(_USER.TXT _OLD.TXT _BACKUP.DAT _1.BIN kept/_OLD.TXT kept/_1.BIN)
drive_up() { # kind size options...
  local kind=$1 size=$2; shift 2
  KIND=$kind IMAGE="" LETTER=g TESS_FAULTFS="" GUEST="" STICK_FS=""
  TOLD_FS=$(printf '%s\n' "$@" | sed -n 's/^as=//p')
  mkdir -p "$DIR"
  case $kind in
    -) return ;;
    missing) rmdir "$DIR"; tess_map_removable g "$DIR"; return ;;
    stick) # the net's: its own checks say what it had before
      IMAGE="$TESS_TMP/stick.img" STICK_FS=$size
      [ "$START" = listA ] && LETTER=a
      stick_make "$1" "$size" "$DIR" "$TESS_TMP/stick.json" || return 1
      STICK_BEFORE=$($STICKS check "$TESS_TMP/stick.json" "$IMAGE" | tr '\n' ';')
      tess_check "the stick holds deleted data or names before the run" grep -q "faults;$" <<<"$STICK_BEFORE"
      stick_in_vm "$size" || stick_mount "$size" "$DIR" || return 1
      [ "${size#fat}" != "$size" ] && { tess_map_device "$LETTER" "$IMAGE" || return 1; } ;;
    ro) tess_make_drive tmpfs "$size" "$DIR"; mount -o remount,ro "$DIR" ;;
    *)
      local at=$DIR
      [ "$kind" = faulty ] && { kind=ext2 at=$BACK; }
      tess_make_drive "$kind" "$size" "$at"; IMAGE=$TESS_IMAGE
      [ "$KIND" = faulty ] && tess_faulty_drive "$BACK" "$DIR" "$@"
      if [[ " $* " = *" link "* ]]; then # a folder of the test's own, outside the drive
        mkdir -p "$TESS_TMP/outside"; echo "theirs" >"$TESS_TMP/outside/theirs.txt"; ln -s "$TESS_TMP/outside" "$at/link"
      fi ;;
  esac
  LOOK=$DIR; [ -n "$TESS_FAULTFS" ] && LOOK=$BACK
  FREE_BEFORE=$(tess_free_kib "$LOOK")
  REPORTED=$(($(stat -f -c '%a * %S' "$DIR") / 4096 * 4096)) # Wine counts whole 4 KiB units
  tess_map_removable "$LETTER" "$DIR"
}

drive_down() { # after the run: the drive as the user gets it back
  case $KIND in -) return ;; missing) tess_unmap_drive g; return ;; esac
  # A faulty drive is looked at without its faults: the folder behind it.
  [ -n "$TESS_FAULTFS" ] && tess_drop_faulty "$DIR"
  local left
  left=$(find "$LOOK" -name '_*' -printf '%P\n' 2>/dev/null | grep -v -x -F "${LOOKALIKE[@]/#/-e}" |
    grep -c '\(^\|/\)_[0-9A-V]*\.[A-Z][A-Z][A-Z]$')
  [ -n "${EXPECT[left]:-}" ] && tess_equal "fill files left" "${EXPECT[left]}" "$left"
  [ -n "${EXPECT[free]:-}" ] && [ "${EXPECT[left]:-0}" = 0 ] && tess_equal "free space as before" "$FREE_BEFORE" "$(tess_free_kib "$LOOK")"
  [ "${EXPECT[stick]:-}" = clean ] && tess_check "the kept files untouched" $STICKS kept "$TESS_TMP/stick.json" "$DIR"
  rm -f "$LOOK"/_* 2>/dev/null
  if [ "$KIND" = stick ]; then stick_unmount "$STICK_FS" "$DIR"; else tess_unmount "$LOOK"; fi
  if [ -n "${EXPECT[stick]:-}" ]; then
    local found; found=$($STICKS check "$TESS_TMP/stick.json" "$IMAGE")
    tess_equal "the stick's deleted files (before: $STICK_BEFORE; after: $(head -n -1 <<<"$found" | tr '\n' ';'))" \
      clean "$(tail -1 <<<"$found")"
  fi
  [ -n "${EXPECT[outside]:-}" ] && tess_equal "nothing written outside the drive" theirs.txt "$(ls -A "$TESS_TMP/outside")"
  if [ -n "${EXPECT[fsck]:-}" ]; then
    stick_fsck "$([ "$KIND" = stick ] && echo "$STICK_FS" || echo "$KIND")"
    tess_equal "the file system is clean" 0 $?
  fi
  [ -n "${TESS_LOOP:-}" ] && losetup -d "$TESS_LOOP"; TESS_LOOP=""
  tess_unmap_drive "$LETTER"; tess_unmap_device "$LETTER"
  [ "$LETTER" = a ] && tess_map_drive a "$TESS_BIN/drives/diskette" floppy
  rm -f "$TESS_TMP"/*.img
}

# --- the user's steps ---------------------------------------------------------
shown() { drv answer "$1" 0 "$2" >/dev/null 2>&1 && echo shown || echo absent; }
wait_match() { # seconds regex driver-command...: until a line it prints matches
  local seconds=$1 regex=$2; shift 2
  for _ in $(seq $((seconds * 5))); do drv "$@" | grep -q -E -x -- "$regex" && return 0; sleep 0.2; done
  return 1
}
wait_line() { wait_match "$3" "$2" log "$1"; } # window regex seconds: a log line
settle() { # until the log has not grown for a second
  local n m=-1
  for _ in $(seq 30); do n=$(drv log "$W" | wc -l); [ "$n" = "$m" ] && return; m=$n; sleep 1; done
}
check_window() {
  local l s=${EXPECT[state]:-} d=${LETTER^^}:
  l=$(drv log "$W")
  echo "$l" | sed 's/^/     | /'
  [ -n "${EXPECT[last]:-}" ] && tess_check "last line: ${EXPECT[last]}" grep -q -E -x -- "${EXPECT[last]}" <(tail -1 <<<"$l")
  [ -n "${EXPECT[status]:-}" ] && tess_check "status line: ${EXPECT[status]}" grep -q -E -x -- "${EXPECT[status]}" <(drv status "$W")
  [ -n "${EXPECT[has]:-}" ] && tess_check "a line: ${EXPECT[has]}" grep -q -E -- "${EXPECT[has]}" <<<"$l"
  [ -n "${EXPECT[lines]:-}" ] && tess_equal "log lines" "${EXPECT[lines]}" "$(grep -c . <<<"$l")"
  [ -n "$s" ] && tess_equal "buttons: Ok, Stop, Quit, Help, list" "$s" "$(drv state "$W")"
  [ -n "${EXPECT[measured]:-}" ] && tess_equal "the measuring lines" "Cleaning un-used sectors on drive $d
Free space on drive $d is $REPORTED in byte
Free space on drive $d is $((REPORTED / 512)) in Sectors" "$(sed -n 2,4p <<<"$l")"
  # The path taken: FAT as Windows names it, and exFAT as the told build
  # names it, have no file table, whose free records the NTFS path takes.
  local family=${STICK_FS:-$KIND} records; records=$(grep -c 'records of the file table' <<<"$l")
  if [ "${family#fat}" != "$family" ] || [ "$TOLD_FS" = exFAT ]; then
    tess_equal "the path of FAT or exFAT as Windows names them: no step for a file table" 0 "$records"
  elif [ "${family#exfat}" != "$family" ]; then
    tess_check "the path of exFAT as Wine names it (NTFS): a step for a file table" [ "$records" -gt 0 ]
  fi
  [ -n "${EXPECT[viewer]:-}" ] && tess_equal "the help viewer" "${EXPECT[viewer]}" "$(shown "Tessarine Help" 3000)"
}
press() { # a button of the window, with the mouse as the user does, unless something lies over it
  local l t r b
  [ -n "$BY_DRIVER" ] && { drv click "$W" "$1"; return; }
  read -r l t r b < <(drv rect "$W" "$1")
  xdotool mousemove $(((l + r) / 2)) $(((t + b) / 2)) click 1
}
step() {
  case $1 in
    ok) press 1 ;;
    yes) # Ok's mouse click that did not reach the window (still ready, no question) is pressed again
      local asked=ok
      drv answer "$CONFIRM" 1 15000 >/dev/null 2>&1 || asked=no
      if [ $asked = no ] && [ "$(drv state "$W" | cut -c 1-3)" = 101 ] && [ "$(shown "$CONFIRM" 100)" = absent ]; then
        echo "     (Ok's mouse click brought no question: pressed by the driver)"; drv click "$W" 1
        drv answer "$CONFIRM" 1 20000 >/dev/null 2>&1 && asked=ok
      fi
      tess_equal "the question comes; Yes" ok "$asked" ;;
    stop) press 217; sleep 0.3
      tess_equal "Stop enables Quit" 01 "$(drv state "$W" | cut -c 2-3)" ;;
    quit) press 105 # a mouse click that did not reach the window (seen twice in a long run) is pressed again
      for _ in $(seq 50); do kill -0 "$TESS_PID" 2>/dev/null || break; sleep 0.2; done
      if kill -0 "$TESS_PID" 2>/dev/null && drv state "$W" >/dev/null 2>&1; then
        echo "     (Quit's mouse click left the window open: pressed by the driver)"; drv click "$W" 105
      fi ;;
    done) tess_check "the run ends" wait_match 400 '.* written in .*' status "$W"; settle ;;
    leave) [ "$(drv state "$W" | cut -c 2)" = 1 ] && press 217; sleep 0.3; press 105 ;; # Stop first after a failure
    help) press 106; BY_DRIVER=yes; sleep 1 ;; # the viewer may lie over the window
    wait) tess_check "the run ends by itself: ${EXPECT[last]}" wait_line "$W" "${EXPECT[last]}" 400
      settle ;;
    writing) # until a fill file has grown (not the user's _BACKUP.DAT, nor the run's folder): on a slow stick,
      # a write has just ended and the next begun
      local grown="find '$LOOK' -maxdepth 1 -type f -name '_*.A[A-Z][A-Z]' -size +0c | grep -q ."
      for _ in $(seq 500); do bash -c "$grown" && break; sleep 0.02; done
      tess_check "fill files are being written" bash -c "$grown" ;;
    nobox) tess_equal "no question" absent "$(shown "$CONFIRM" 1500)" ;;
    kill) kill -9 "$TESS_PID"; tess_wait "$TESS_PID" 20 2>/dev/null
      tess_check "the killed run left its fill file" bash -c "find '$LOOK' -maxdepth 1 -type f -printf '%f\n' | grep -q '^_[0-9A-V]*\.AAA$'" ;;
    again) start_tool "$START" ;;
    naming) # until the names step has made files in a folder
      tess_check "the names step begins" wait_line "$W" "Cleaning the names of deleted files on drive .*" 120
      for _ in $(seq 300); do find "$LOOK" -mindepth 2 -name '_0*' | grep -q . && break; sleep 0.1; done ;;
    pull) tess_unmap_drive "$LETTER"; tess_unmap_device "$LETTER" ;;
    powercut) tess_check "the names step ends" wait_line "$W" "[0-9]+ free entries of folders were overwritten" 300
      wait_line "$W" "[0-9]+ free entries .*" 1 || { drv log "$W"; drv status "$W"; } | sed 's/^/     | /' # where it was
      # This row's VM alone, known by its stick's image: never another's.
      pkill -9 -f "qemu-system.*file=$IMAGE,"; kill -9 "$GUEST" 2>/dev/null; GUEST=""; umount -l "$DIR" ;;
    timeleft) local left='About .* left \([0-9.]+ [KM]B/s\)' shown=""
      wait_match 20 "$left" status "$W" && shown=$(drv status "$W")
      tess_check "the status line shows the time left: $shown" grep -q -E -x -- "$left" <<<"$shown" ;;
    ticking) local one two; one=$(drv status "$W"); sleep 1; two=$(drv status "$W")
      tess_check "the names step's count moves within a second: $one / $two" \
        bash -c "[[ '$one' =~ ^Names\ of\ deleted\ files: && '$two' =~ ^Names\ of\ deleted\ files: && '$one' != '$two' ]]" ;;
    check) check_window ;;
    copy) # clicked into, as the user does, then the keys; Wine hands the clipboard to X
      local l t r b; read -r l t r b < <(drv rect "$W" 101)
      xdotool mousemove $(((l + r) / 2)) $((t + 8)) click 1 sleep 0.3 key ctrl+a ctrl+c; sleep 0.5
      tess_equal "the log copied to the clipboard" "$(drv log "$W")" "$(xclip -o -selection clipboard | tr -d '\r')" ;;
    shot:*) sleep 0.5; import -window root "$SHOTS/${1#shot:}.png" ;;
    *) echo "unknown step $1"; return 1 ;;
  esac
}

# --- how the tool is started -------------------------------------------------
start_tool() {
  local how=$1 t0 delay
  TESS_RUN_EXE="" TESSARINE_TOLD_FILE_SYSTEM=$TOLD_FS
  [ -n "$TOLD_FS" ] && TESS_RUN_EXE="$TESS_BIN/tests/told/Tessarine.exe"
  export TESSARINE_TOLD_FILE_SYSTEM
  case $how in
    nohelp) mkdir -p "$TESS_TMP/nohelp"; cp "$TESS_EXE" "$TESS_TMP/nohelp/"; TESS_RUN_EXE="$TESS_TMP/nohelp/Tessarine.exe" ;;
    dist) # the program as a release zip holds it: system DLLs only, a GUI program that XP runs
      bash "$TESS_SRC/scripts/dist.sh" "$TESS_TMP/dist" "$(basename "$TESS_BIN")" >/dev/null
      unzip -q "$TESS_TMP"/dist/*.zip -d "$TESS_TMP/dist"; TESS_RUN_EXE="$TESS_TMP/dist/Tessarine.exe"
      local dump; dump=$(x86_64-w64-mingw32-objdump -p "$TESS_RUN_EXE")
      tess_equal "imports, subsystem" "advapi32.dll gdi32.dll kernel32.dll msvcrt.dll user32.dll (Windows GUI) 5.$([ "$TESS_LOADER" = "$WINE64" ] && echo 2 || echo 1)" \
        "$(awk '/DLL Name/ {print tolower($3)}' <<<"$dump" | sort | tr '\n' ' ')$(grep -o '(Windows GUI)' <<<"$dump") $(awk '/MajorSubsystemVersion/ {a=$2} /MinorSubsystemVersion/ {i=$2} END {print a "." i}' <<<"$dump")"
      # What Properties > Details shows, and a manifest that asks for no more rights and no new look.
      dump=$(drv version "Z:${TESS_RUN_EXE//\//\\}")
      tess_equal "version resource" "CompanyName=the Tessarine authors|FileDescription=Tessarine: wipes the free space of removable drives|FileVersion=0.10|ProductName=Tessarine|ProductVersion=0.10|" \
        "$(grep '^[A-Za-z]*=' <<<"$dump" | tr '\n' '|')"
      tess_equal "manifest: asInvoker, Windows versions, no dependency (no new common controls)" "1 5 0" \
        "$(grep -c 'level="asInvoker"' <<<"$dump") $(grep -c '<supportedOS' <<<"$dump") $(grep -c '<dependency' <<<"$dump")" ;;
  esac
  if [ "${how#*@}" != "$how" ]; then # Wine reads the scale as the display settings leave it
    "$WINE64" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "${how#*@}" /f >/dev/null 2>&1
    tess_on_exit "$WINE64 reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f"
    how=${how%@*} START=${how%@*}
  fi
  t0=$(date +%s%N)
  case $how in
    cmd) tess_start "$LETTER:" ;;
    unit:*) TESS_RUN_EXE="$TESS_BIN/tests/unit_tests.exe" TESSARINE_FULL_DRIVE=g: tess_start --gtest_filter="${how#unit:}"
      W=""; return ;;
    *) tess_start ;;
  esac
  W=$(drv wait-windows 1 20000 | head -1)
  delay=$((($(date +%s%N) - t0) / 1000000))
  tess_check "the window appears" [ -n "$W" ]
  [ -n "${EXPECT[shown]:-}" ] && tess_check "the window appears after the worker's pause ($delay ms)" [ "$delay" -ge "${EXPECT[shown]}" ]
  if [ "$how" = cmd ] && ! wait_match 15 '[01]{4}0' state "$W"; then
    if [ -z "${TAKEN_AGAIN:-}" ]; then # seen once in a long run, not alone in 20 starts: said, and started anew
      echo "     (g: not taken from the command line: buttons and list $(drv state "$W"), Wine's drive$("$WINE64" reg query \
        'HKLM\Software\Wine\Drives' /v g: 2>&1 | tr -d '\r' | grep -i -o ' g: .*'); Wine and the tool started anew)"
      kill "$TESS_PID"; tess_wait "$TESS_PID" 20; tess_restart_wine
      TAKEN_AGAIN=yes start_tool "$1"; return
    fi
    tess_check "g: is taken from the command line (no drive list)" false; return 1
  elif [ "$how" = list ] && [ "$KIND" != - ]; then
    # Never Ok on the prefix's own A:, as the list would have it.
    drv select "$W" G: || { tess_check "G: is in the drive list" false; return 1; }
  fi
}

run_row() {
  local name=$1 drive=$2 start=$3 steps=$4 expect=$5 word t0=$SECONDS
  START=$start
  declare -g -A EXPECT=()
  BY_DRIVER=""
  # key=value pairs; a value runs to the next key.
  while read -r word; do
    [ -n "$word" ] && EXPECT[${word%%=*}]=${word#*=}
  done < <(sed -E 's/ ([a-z]+)(=|>=)/\n\1\2/g; s/>=/=/g' <<<"$expect")
  echo "# $name"
  ROW_FAILURES=$TESS_FAILURES
  drive_up $drive || { tess_check "the drive is made" false; return; }
  if start_tool "$start"; then
    for word in $steps; do step "$word"; done
  else
    kill "$TESS_PID"
  fi
  tess_wait "$TESS_PID" 240
  [[ $TESS_CODE =~ ^(${EXPECT[code]//,/|})$ ]] && TESS_CODE=${EXPECT[code]} # N,M: either
  tess_equal "exit code" "${EXPECT[code]}" "$TESS_CODE"
  drive_down
  [ "$start" = nohelp ] || [ "$steps" = "${steps/help/}" ] || { "$WINESERVER" -k; tess_restart_wine; } # closes the viewer
  [ "${start#*@}" = "$start" ] || "$WINE64" reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1
  echo "  ($((SECONDS - t0)) s)"
  if [ "${drive%% *}" = stick ]; then
    [ "$TESS_FAILURES" = "$ROW_FAILURES" ] && STICKS_PASSED=$((STICKS_PASSED + 1)) || STICKS_FAILING+=" $(awk '{print $3 "/" $2}' <<<"$drive")"
  fi
}

while IFS='|' read -r name drive start steps expect; do
  [ -n "$ONLY" ] && ! grep -q -i -E -- "$ONLY" <<<"$name" && continue
  run_row "$name" "$drive" "$start" "$steps" "$expect"
done < <(sed 's/ *| */|/g' <<<"$SCENARIOS")
if [ "$STICKS_PASSED$STICKS_FAILING" != 0 ]; then
  [ -n "$STICKS_FAILING" ] && echo "failing sticks (seed/file system):$STICKS_FAILING"
  echo "sticks: $STICKS_PASSED passed, $(wc -w <<<"$STICKS_FAILING") failed"
fi
tess_done
