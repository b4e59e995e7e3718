#!/bin/bash
# A net of stick shapes: for each seed and file system, tests/e2e/sticks.py
# makes a stick (size, clusters, a tree of folders named in several scripts,
# kept files and deleted ones of every kind of size), the real Tessarine.exe
# wipes it from the command line, and the stick is checked from outside:
# "Operation succeeded" and exit code 0, no byte of deleted data and no piece
# of a deleted name in the raw image (on NTFS, only in the unused ends that
# the README names), no deleted name listed by a recovery tool, the kept
# files byte for byte, the file system check clean, the free space as before.
# A failing stick prints its recipe.
# Usage: net_test.sh BUILD_DIR SOURCE_DIR; TESS_NET_SEEDS="1 2" (seeds; by
# default 1 and 2, and 1 alone on FAT, whose mounts take ~20 s each),
# TESS_NET_FS="exfat ntfs" (file systems) choose the sticks; TESS_NET_KEEP=DIR
# keeps each image before and after the run there.
. "$(dirname "$0")/../../scripts/wine/drives.sh" "$1" "$2"
[ "$(id -u)" -eq 0 ] || { echo "SKIPPED: the scratch drives need root"; [ "${CI:-}" = true ] && exit 1; exit 77; }
FILE_SYSTEMS=${TESS_NET_FS:-exfat fat32 fat12 ntfs ext2-1k ext2-4k}
DIR="$TESS_MNT/stick" IMAGE="$TESS_TMP/stick.img" STATE="$TESS_TMP/stick.json"
mkdir -p "$DIR"
. "$TESS_SRC/tests/e2e/sticks.sh"
PASSED=0 FAILED=0 FAILING=""

# The wipe, as from the command line: Ok, wait for the summary, Quit (Stop
# first after a failure). Prints the log; sets CODE.
wipe() {
  local pid w
  "$TESS_LOADER" "$TESS_EXE" g: >/dev/null 2>&1 &
  pid=$!
  w=$(drv wait-windows 1 20000 | head -1)
  # Ok only on the drive of the command line (its list hidden): a drive list
  # would have Ok clean the prefix's own A:.
  for _ in $(seq 25); do [ -n "$w" ] && drv state "$w" | grep -q '0$' && break; sleep 0.2; done
  if [ -n "$w" ] && drv state "$w" | grep -q '0$'; then
    drv click "$w" 1 >/dev/null
    for _ in $(seq 1800); do drv status "$w" 2>/dev/null | grep -q ' written in ' && break; sleep 0.2; done
  else
    echo "g: was not taken from the command line"
  fi
  sleep 0.5
  drv log "$w"
  drv state "$w" | grep -q '^.1' && drv click "$w" 217 >/dev/null
  drv click "$w" 105 >/dev/null
  for _ in $(seq 300); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$pid" 2>/dev/null && kill "$pid"
  wait "$pid"; CODE=$?
}

one_stick() { # seed fs: prints what went wrong, one line each; fails when anything did
  local seed=$1 fs=$2 faults="" free before after log
  stick_make "$seed" "$fs" "$DIR" "$STATE" || { echo "the stick cannot be made"; return 1; }
  before=$($STICKS check "$STATE" "$IMAGE") && faults+="nothing deleted was found before the run; "
  [ -n "${TESS_NET_KEEP:-}" ] && mkdir -p "$TESS_NET_KEEP" && cp "$IMAGE" "$TESS_NET_KEEP/$seed-$fs.before.img"
  stick_mount "$fs" "$DIR" || { echo "the stick cannot be mounted"; return 1; }
  free=$(tess_free_kib "$DIR")
  tess_map_removable g "$DIR"
  wipe >"$TESS_TMP/log"; log=$(cat "$TESS_TMP/log")
  tail -1 <<<"$log" | grep -qx 'Operation succeeded' || faults+="the log ends: $(tail -1 <<<"$log"); "
  [ "$CODE" = 0 ] || faults+="exit code $CODE; "
  after=$($STICKS kept "$STATE" "$DIR") || faults+="$after; "
  left=$(find "$DIR" -name '_*' | grep -c '/_[0-9A-V]*\.[A-Z][A-Z][A-Z]$')
  [ "$left" = 0 ] || faults+="$left fill files left; "
  [ "$(tess_free_kib "$DIR")" = "$free" ] || faults+="free space $free KiB before, $(tess_free_kib "$DIR") KiB after; "
  tess_unmap_drive g
  stick_unmount "$fs" "$DIR"
  [ -n "${TESS_NET_KEEP:-}" ] && cp "$IMAGE" "$TESS_NET_KEEP/$seed-$fs.after.img"
  after=$($STICKS check "$STATE" "$IMAGE") || faults+="$(grep -v faults <<<"$after" | tr '\n' ';') "
  stick_fsck "$fs" || faults+="the file system check fails ($(tail -2 "$TESS_TMP/fsck.log" | tr '\n' ' ')); "
  echo "  before: $(grep -v -e clean -e faults <<<"$before" | tr '\n' ';')"
  echo "  after:  $(tr '\n' ';' <<<"$after")"
  [ -z "$faults" ] && return 0
  echo "  log: $(tr '\n' '|' <<<"$log")"
  echo "  FAULTS: $faults"
  return 1
}

for fs in $FILE_SYSTEMS; do
  seeds=${TESS_NET_SEEDS:-1 2}
  [ -z "${TESS_NET_SEEDS:-}" ] && [ "${fs#fat}" != "$fs" ] && seeds=1
  for seed in $seeds; do
    t0=$SECONDS
    if out=$(one_stick "$seed" "$fs" 2>&1); then
      PASSED=$((PASSED + 1)); echo "ok   - stick $seed $fs ($((SECONDS - t0)) s)"
      [ -n "${TESS_NET_VERBOSE:-}" ] && echo "$out"
    else
      FAILED=$((FAILED + 1)); FAILING+=" $seed/$fs"
      echo "FAIL - stick $seed $fs ($((SECONDS - t0)) s)"; echo "$out"
      echo "  its recipe (tests/e2e/sticks.py recipe $seed $fs):"; $STICKS recipe "$seed" "$fs" | sed 's/^/  | /'
    fi
    rm -f "$IMAGE"
  done
done
[ -n "$FAILING" ] && echo "failing sticks:$FAILING"
echo "$PASSED passed, $FAILED failed"
[ "$FAILED" -eq 0 ]
