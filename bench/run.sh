#!/bin/bash
# make bench: the time to fill a drive's whole free space and give it back,
# for Tessarine (win64 and win32 under Wine, the drive on the command line,
# Ok pressed by the test driver, timed from the start order to the deletion
# of the last fill file) and for its peers on the same drives, alternating
# the contenders and repeating each. Writes bench/results.md.
# Needs root (it mounts its scratch drives). Never touches any other drive.
set -u
here=$(cd "$(dirname "$0")/.." && pwd)
REPEAT=${REPEAT:-3}
[ "$(id -u)" -eq 0 ] || { echo "bench: needs root to mount its scratch drives"; exit 1; }
for p in scrub secure-delete strace bc; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
    { apt-get update -q >/dev/null; DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$p" >/dev/null; }
done
bash "$here/tests/wine/setup.sh" "$here/build/win64" >/dev/null
. "$here/tests/scripts/lib.sh" "$here/build/win64" "$here"
tess_on_exit "bash '$here/tests/wine/cleanup.sh' '$TESS_BIN'"
DIR="$TESS_TMP/drive"
RESULTS="$TESS_TMP/results.txt"
: >"$RESULTS"

now() { date +%s.%N; }
record() { echo "$1|$2|$3|$4" >>"$RESULTS"; } # drive contender seconds bytes

run_tessarine() { # preset drive-label [warm-up]
  local preset=$1 label=$2 warmup=${3:-} bin="$here/build/$1" loader w out
  loader=$(tess_wine_loader "$bin/Tessarine.exe")
  "$loader" "$bin/Tessarine.exe" g: >/dev/null 2>&1 &
  local pid=$!
  w=$("$loader" "$bin/tests/tdriver.exe" wait-windows 1 30000 | tr -d '\r' | head -1)
  [ -n "$w" ] || { echo "bench: Tessarine's window did not appear"; exit 1; }
  out=$("$loader" "$bin/tests/tdriver.exe" timed-run "$w" g: 600000 | tr -d '\r')
  "$loader" "$bin/tests/tdriver.exe" click "$w" 105 >/dev/null
  wait "$pid"
  [ -n "$warmup" ] && return
  set -- $out # succeeded S ended S ping_median_us U ping_max_us U
  record "$label" "tessarine-$preset" "$4" "$FREE_BYTES"
  echo "$label|tessarine-$preset|$6|$8" >>"$TESS_TMP/pings.txt"
}
run_engine() { # label: the same engine without the window (no gauge, no log box)
  local seconds
  seconds=$("$WINE64" "$here/build/win64/tests/clean_drive.exe" g: 2>&1 >/dev/null | tr -d '\r' | awk '/job seconds/ {print $3}')
  record "$1" "engine alone, win64 (no window)" "$seconds" "$FREE_BYTES"
}
run_dd() { # block-size label
  local t0 t1
  sync; t0=$(now)
  dd if=/dev/zero of="$DIR/ddfill" bs="$1" conv=fsync status=none 2>/dev/null
  rm -f "$DIR/ddfill"; sync
  t1=$(now)
  record "$2" "dd-bs$1" "$(echo "$t1 - $t0" | bc)" "$FREE_BYTES"
}
run_cmd() { # label drive command...
  local label=$1 drive=$2 t0 t1 status; shift 2
  sync; t0=$(now)
  "$@" >/dev/null 2>&1; status=$?
  [ "$status" -eq 0 ] || label="$label (exit $status)"
  rm -rf "$DIR"/scrubdir "$DIR"/oooo* 2>/dev/null; sync
  t1=$(now)
  record "$drive" "$label" "$(echo "$t1 - $t0" | bc)" "$FREE_BYTES"
}

bench_drive() { # kind size-MiB label
  echo "bench: $3"
  tess_make_drive "$1" "$2" "$DIR"
  tess_map_removable g "$DIR"
  FREE_BYTES=$(( $(tess_free_kib "$DIR") * 1024 ))
  # The first Wine process after a restart of the server runs slowly while
  # Wine's services settle: one run not counted.
  run_tessarine win64 "$3" warm-up
  for round in $(seq "$REPEAT"); do
    run_tessarine win64 "$3"
    run_dd 128k "$3"
    run_tessarine win32 "$3"
    run_dd 4M "$3"
    run_engine "$3"
    run_cmd "scrub -X" "$3" scrub -X "$DIR/scrubdir"
    run_cmd "scrub -p fillzero -X" "$3" scrub -p fillzero -X "$DIR/scrubdir"
    run_cmd "sfill -f -llz" "$3" sfill -f -llz "$DIR"
    echo "bench:   round $round done"
  done
  tess_drop_drive "$DIR" g
}

: >"$TESS_TMP/pings.txt"
bench_drive tmpfs 1024 "tmpfs 1 GiB"
bench_drive ext2-4k 512 "ext2 512 MiB (4 KiB blocks, image on disk)"
bench_drive exfat 256 "exFAT 256 MiB (FUSE)"
# Linearity on tmpfs: one run each, several fill files at 4 GiB.
REPEAT_SAVED=$REPEAT
for size in 256 4096; do
  echo "bench: tmpfs $size MiB (linearity)"
  tess_make_drive tmpfs "$size" "$DIR"
  tess_map_removable g "$DIR"
  FREE_BYTES=$(( $(tess_free_kib "$DIR") * 1024 ))
  run_tessarine win64 "linearity tmpfs $size MiB" warm-up
  run_tessarine win64 "linearity tmpfs $size MiB"
  run_dd 128k "linearity tmpfs $size MiB"
  run_engine "linearity tmpfs $size MiB"
  tess_drop_drive "$DIR" g
done

# Profile: the system calls of one windowed run on a 1 GiB tmpfs, per pass
# (one pass writes 128 KiB), and of the engine alone.
echo "bench: profile"
tess_make_drive tmpfs 1024 "$DIR"
tess_map_removable g "$DIR"
"$WINE64" "$here/build/win64/tests/clean_drive.exe" g: >/dev/null 2>&1 # warm-up
strace -f -c -o "$TESS_TMP/engine.strace" "$WINE64" "$here/build/win64/tests/clean_drive.exe" g: >/dev/null 2>&1
"$WINE64" "$TESS_EXE" g: >/dev/null 2>&1 &
pid=$!
w=$(drv wait-windows 1 30000 | head -1)
strace -f -c -p "$pid" -o "$TESS_TMP/window.strace" 2>/dev/null &
tracer=$!
sleep 1
drv timed-run "$w" g: 600000 >/dev/null
kill -INT "$tracer"; wait "$tracer" 2>/dev/null
drv click "$w" 105
wait "$pid"
tess_drop_drive "$DIR" g
passes=$((1024 * 1024 / 128))
{
  echo "passes $passes"
  echo "## engine alone (clean_drive.exe: no window)"
  head -12 "$TESS_TMP/engine.strace"
  echo "## Tessarine.exe with its window"
  head -14 "$TESS_TMP/window.strace"
} >"$TESS_TMP/profile.txt"

# The raw figures stay beside the report, so that it can be made again.
mkdir -p "$here/bench/raw"
cp "$RESULTS" "$here/bench/raw/timings.txt"
cp "$TESS_TMP/pings.txt" "$here/bench/raw/pings.txt"
cp "$TESS_TMP/profile.txt" "$here/bench/raw/profile.txt"
python3 "$here/bench/report.py" "$RESULTS" "$TESS_TMP/pings.txt" "$REPEAT_SAVED" "$TESS_TMP/profile.txt" \
  >"$here/bench/results.md"
cat "$here/bench/results.md"
