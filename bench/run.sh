#!/bin/bash
# make bench: the time to fill a drive's whole free space and give it back,
# for Tessarine (each build that this machine can run, under Wine, the drive
# on the command line, Ok pressed by the bench's stopwatch), for the bare
# write loop (bench/bare_fill.cpp, the same build, under Wine) and for dd
# bs=128k conv=fsync and the deletion of its file. Every run is timed the
# same way, from outside: from the first file that appears on the drive to
# the drive as it was again (bench/drive_watch.py). Runs alternate, their
# order turning each round, and each starts right after a warm-up that writes
# and deletes more than the drive holds on a scratch tmpfs: this virtual
# machine hands freed memory back to its host, and a run that gets memory
# the host took back writes at half speed. On a drive throttled to a USB 2
# stick's speed also the time from a Stop to its log line; on NTFS the time
# the free records of the file table take; the names of deleted files; an
# earlier run's leftover. Writes bench/results.md and keeps the raw figures
# in bench/raw/. Needs root (it mounts its scratch drives); touches no other
# drive.
#   BENCH_ONLY="tmpfs throttled"  only these drives (tmpfs, ext2, throttled; or names), no
#                                 other section; the report is printed, the
#                                 raw figures kept in build/bench-raw, and
#                                 bench/results.md left as it is
#   BENCH_PRESETS="win64 before"  the builds to run (folders of build/): a
#                                 link to an earlier build is a contender too
set -u
here=$(cd "$(dirname "$0")/.." && pwd)
REPEAT=${REPEAT:-9}
[ "$(id -u)" -eq 0 ] || { echo "bench: needs root to mount its scratch drives"; exit 1; }
for p in bc secure-delete; do # secure-delete: sfill, a contender on the throttled stick
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
    { apt-get update -q >/dev/null; DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$p" >/dev/null; }
done
bash "$here/scripts/wine/setup.sh" "$here/build/win64" >/dev/null
. "$here/scripts/wine/drives.sh" "$here/build/win64" "$here"
tess_on_exit "bash '$here/scripts/wine/cleanup.sh' '$TESS_BIN'"
PRESETS="win64"
/usr/lib/wine/wine --version >/dev/null 2>&1 && PRESETS="win64 win32" # a kernel without 32-bit support cannot
PRESETS=${BENCH_PRESETS:-$PRESETS}
ONLY=${BENCH_ONLY:-tmpfs ext2 checks throttled}
only() { [[ " $ONLY " == *" $1 "* ]]; }
DIR="$TESS_MNT/drive"
RAW="$TESS_TMP/raw"
mkdir -p "$RAW"
tess_on_exit "mkdir -p '$here/build/bench-raw'; cp '$RAW'/*.txt '$here/build/bench-raw/'" # kept, whatever the end
for f in timings pings stops steps records leftovers names checks; do : >"$RAW/$f.txt"; done

record() { echo "$1|$2|$3|$4" >>"$RAW/timings.txt"; } # drive contender seconds round
WARM="$TESS_TMP/warm"
mkdir -p "$WARM"; mount -t tmpfs -o size=6g tmpfs "$WARM"; tess_on_exit "tess_unmount $WARM"
warm_up() { head -c "${WARM_MIB}M" /dev/zero >"$WARM/w"; rm -f "$WARM/w"; }
watch_begin() { # the outside stopwatch, watching DIR before the run starts
  python3 "$here/bench/drive_watch.py" "$DIR" 900 >"$TESS_TMP/watch.out" 2>&1 &
  WATCH_PID=$!
  until grep -q ready "$TESS_TMP/watch.out" 2>/dev/null; do sleep 0.02; done
}
watch_end() { # prints the run's seconds
  wait "$WATCH_PID"
  tail -1 "$TESS_TMP/watch.out"
}

run_tessarine() { # preset drive-label round ("warm-up": not recorded)
  local bin="$here/build/$1" loader w out seconds
  loader=$(tess_wine_loader "$bin/Tessarine.exe")
  local pid try
  # A first window under a fresh wineserver can be slow to show: a run here once missed 30 s.
  # On a loaded machine a start can fail outright: one more.
  for try in 1 2; do
    "$loader" "$bin/Tessarine.exe" g: >/dev/null 2>&1 &
    pid=$!
    w=$("$loader" "$bin/tools/tdriver.exe" wait-windows 1 90000 | tr -d '\r' | head -1)
    [ -n "$w" ] && break
    kill "$pid" 2>/dev/null; wait "$pid"
    echo "bench: Tessarine's window did not appear (try $try)"
  done
  [ -n "$w" ] || exit 1
  warm_up
  watch_begin
  out=$("$loader" "$bin/bench/watch.exe" run "$w" g: 900000 | tr -d '\r')
  seconds=$(watch_end)
  "$loader" "$bin/tools/tdriver.exe" click "$w" 105 >/dev/null
  wait "$pid"
  [ "$3" = warm-up ] && return
  if [ -z "$out" ]; then # Wine's loader can die as the stopwatch starts (seen with the 32-bit build)
    echo "bench: the stopwatch of $1 gave nothing in round $3: that round is left out"
    return
  fi
  set -- "$1" "$2" "$3" $out # succeeded S ended S ping_median_us U ping_max_us U
  record "$2" "tessarine-$1" "$seconds" "$3"
  echo "$2|tessarine-$1|${9}|${11}" >>"$RAW/pings.txt"
}
run_bare() { # preset drive-label round
  local bin="$here/build/$1"
  warm_up
  watch_begin
  "$(tess_wine_loader "$bin/bench/bare_fill.exe")" "$bin/bench/bare_fill.exe" g: >/dev/null 2>&1
  record "$2" "bare-$1" "$(watch_end)" "$3"
}
run_sfill() { # drive-label round: one pass of zeros over the free space and the free inodes
  warm_up
  watch_begin
  sfill -llz "$DIR" >/dev/null 2>&1
  record "$1" "sfill-llz" "$(watch_end)" "$2"
}
run_dd() { # drive-label round
  warm_up
  watch_begin
  dd if=/dev/zero of="$DIR/ddfill" bs=128k conv=fsync status=none 2>/dev/null
  rm -f "$DIR/ddfill"
  record "$1" "dd-bs128k" "$(watch_end)" "$2"
}
# The engine alone, once per drive: where a run's time goes, from its log.
run_steps() { # drive-label
  warm_up
  "$WINE64" "$here/build/win64/bench/clean_drive.exe" g: 2>&1 >/dev/null | tr -d '\r' |
    awk -v label="$1" '/ status / {next} /Creating file/ {if (!c) c = $1; created = 1; next}
      created && !after {after = $1}
      /Cleaning the names/ {n0 = $1} / free entries of folders were overwritten/ {n1 = $1}
      /Operation succeeded/ {printf "%s|%.3f|%.3f|%.3f|%.3f\n", label, after - c, n0 - after, n1 - n0, $1 - n1}' \
    >>"$RAW/steps.txt"
}

small_tmpfs() { # size-MiB dir [files]: at most 64 files, where a tmpfs would take new names without end
  mkdir -p "$2"; mount -t tmpfs -o size="$1m",nr_inodes="${3:-64}" tmpfs "$2"; tess_on_exit "tess_unmount $2"
}
make_drive() { # kind size-MiB [faults]: mounted at DIR, mapped as g:
  if [ "$1" = tmpfs ]; then
    small_tmpfs "$2" "$DIR"
  elif [ "$1" = throttled ]; then # a root of 256 free entries, as a stick's fresh root cluster has
    small_tmpfs "$2" "$TESS_MNT/back" 256
    tess_faulty_drive "$TESS_MNT/back" "$DIR" $3
  else
    tess_make_drive "$1" "$2" "$DIR"
  fi
  tess_map_removable g "$DIR"
}
drop_drive() {
  if [ -n "${TESS_FAULTFS:-}" ]; then tess_drop_faulty "$DIR"; tess_unmount "$TESS_MNT/back"
  else unmap_drive; fi
}
unmap_drive() { # the drive at DIR and its letter g: gone
  tess_unmount "$DIR"
  [ -n "${TESS_LOOP:-}" ] && losetup -d "$TESS_LOOP" 2>/dev/null
  TESS_LOOP=""
  tess_unmap_drive g
}

bench_drive() { # kind size-MiB rounds label [faults]
  echo "bench: $4"
  make_drive "$1" "$2" "${5:-}"
  WARM_MIB=$(($2 + 1024))
  run_tessarine win64 "$4" warm-up # the first Wine process after a restart runs slowly
  local order=(tessarine bare dd) round who preset
  [ "$1" = throttled ] && order+=(sfill)
  for round in $(seq "$3"); do
    for who in "${order[@]}"; do
      if [ "$who" = dd ] || [ "$who" = sfill ]; then "run_$who" "$4" "$round"
      else for preset in $PRESETS; do "run_$who" "$preset" "$4" "$round"; done; fi
    done
    order=("${order[@]:1}" "${order[0]}") # each contender takes each place in turn: what ran before matters here
    echo "bench:   round $round done"
  done
  run_steps "$4"
}

only tmpfs && { bench_drive tmpfs 4096 "$REPEAT" "tmpfs 4 GiB"; drop_drive; }
only ext2 && { bench_drive ext2-4096 1024 "$REPEAT" "ext2 1 GiB (4 KiB blocks, image on disk)"; drop_drive; }
# The check of what the drive kept, against the fill, from the engine's own
# times (the engine alone): on tmpfs, and on the stick with its reads at twice
# its write speed, past the page cache, as an unbuffered read on Windows goes.
time_check() { # label
  warm_up
  "$WINE64" "$here/build/win64/bench/clean_drive.exe" g: 2>&1 >/dev/null | tr -d '\r' |
    awk -v label="$1" '/Creating file/ && !c {c = $1} /status Checking what the drive kept/ && !k {k = $1; next}
      k && !e && / status / {e = $1} END {printf "%s|%.3f|%.3f\n", label, k - c, e - k}' >>"$RAW/checks.txt"
}
if only checks; then
  echo "bench: the check of what the drive kept"
  WARM_MIB=5120; make_drive tmpfs 4096; for _ in 1 2 3; do time_check "tmpfs 4 GiB"; done; drop_drive
  WARM_MIB=1400; make_drive throttled 384 "mbps=25 direct-io"
  for _ in 1 2 3; do time_check "the USB 2 stick, 384 MiB at 25 MB/s, reads at 50 MB/s past the cache"; done; drop_drive
fi
# bench_names: the names of deleted files, deleted from one folder (a live file after
# them, so that the folder keeps its size), the step timed from its first line
# to its last; the engine alone. exFAT through FUSE (10,000 names), FAT32
# through the real FAT driver in a small VM without acceleration (2,000: each
# new file there is a round trip into the emulated machine).
bench_names() {
  echo "bench: the names of deleted files"
  mkdir -p "$TESS_TMP/many"
  for i in $(seq -w 1 10000); do : >"$TESS_TMP/many/$i deleted letter to the lawyer.txt"; done
  echo keep >"$TESS_TMP/zz keep.txt"
  time_names() { # label names
    "$WINE64" "$here/build/win64/bench/clean_drive.exe" g: 2>&1 >/dev/null | tr -d '\r' |
      awk -v label="$1" -v names="$2" '/Cleaning the names/ {t0 = $1}
        / free entries of folders were overwritten/ {print label "|" names "|" $2 "|" $1 - t0}' >>"$RAW/names.txt"
  }
  tess_make_drive exfat 64 "$DIR"
  mkdir "$DIR/big"; cp "$TESS_TMP"/many/* "$TESS_TMP/zz keep.txt" "$DIR/big/"; sync; rm "$DIR"/big/[0-9]*; sync
  tess_map_removable g "$DIR"
  time_names "exFAT 64 MiB (FUSE)" 10000
  unmap_drive
  IMAGE="$TESS_TMP/fat.img"
  mkfs.fat -C -F 32 -S 512 -s 1 "$IMAGE" $((64 * 1024)) >/dev/null
  mmd -i "$IMAGE" ::/big
  mkdir -p "$TESS_TMP/few"; ls "$TESS_TMP/many" | head -2000 | while read -r f; do ln "$TESS_TMP/many/$f" "$TESS_TMP/few/"; done
  mcopy -i "$IMAGE" "$TESS_TMP"/few/* "$TESS_TMP/zz keep.txt" ::/big/; mdel -i "$IMAGE" "::/big/[0-9]*"
  LIBGUESTFS_BACKEND=direct LIBGUESTFS_BACKEND_SETTINGS=force_tcg guestmount --format=raw -a "$IMAGE" -m /dev/sda --rw \
    -o allow_other -o big_writes "$DIR" && tess_map_device g "$IMAGE" && tess_map_removable g "$DIR" &&
    time_names "FAT32 64 MiB, 512-byte clusters (Linux driver in a VM, its device mapped: named FAT32)" 2000
  guestunmount "$DIR"; tess_unmap_drive g; tess_unmap_device g
}
partial_report() { mkdir -p "$here/build/bench-raw"; cp "$RAW"/*.txt "$here/build/bench-raw/"; python3 "$here/bench/report.py" "$RAW" "$REPEAT" "$PRESETS"; exit; }
only names && { bench_names; partial_report; }
only throttled || partial_report
bench_drive throttled 384 "${STICK_ROUNDS:-6}" "a USB 2 stick: 384 MiB at 25 MB/s, 256 root entries" mbps=25
# Stop: from the click to its log line, in the middle of a run.
for round in 1 2 3; do
  "$TESS_LOADER" "$TESS_EXE" g: >/dev/null 2>&1 &
  pid=$!
  w=$(drv wait-windows 1 30000 | head -1)
  drv click "$w" 1
  sleep 3
  "$TESS_LOADER" "$TESS_BIN/bench/watch.exe" stop "$w" 10000 | tr -d '\r' >>"$RAW/stops.txt"
  drv click "$w" 105
  wait "$pid"
done
drop_drive
[ -n "${BENCH_ONLY:-}" ] && partial_report

# NTFS: the free records of the file table, after the free clusters; the
# engine alone, which writes when each log line came.
echo "bench: NTFS free records"
tess_make_drive ntfs 64 "$DIR"
for ((i = 0; i < 3000; i++)); do printf 'note %05d\n' "$i" >"$DIR/note$i.txt"; done
sync; rm -f "$DIR"/note*.txt; sync
tess_map_removable g "$DIR"
"$WINE64" "$here/build/win64/bench/clean_drive.exe" g: 2>&1 >/dev/null | tr -d '\r' |
  awk '/Cleaning the free records/ {t0 = $1} / free records of the file table were overwritten/ && !/ more / {print $2 "|" $1 - t0}' \
  >>"$RAW/records.txt"
unmap_drive

# A killed run's fill file: the next run reads it through before deleting it.
# 1 GiB of zeros on an ext2 image on disk, out of the page cache; the engine alone.
echo "bench: reading an earlier run's fill file"
tess_make_drive ext2-4096 1100 "$DIR"
head -c 1G /dev/zero >"$DIR/_1.AAA"; sync; echo 3 >/proc/sys/vm/drop_caches
tess_map_removable g "$DIR"
"$WINE64" "$here/build/win64/bench/clean_drive.exe" g: 2>&1 >/dev/null | tr -d '\r' |
  awk '/Cleaning un-used sectors/ {t0 = $1} /left by an earlier run/ {print $1 - t0}' >>"$RAW/leftovers.txt"
unmap_drive

bench_names

mkdir -p "$here/bench/raw"
rm -f "$here/bench/raw"/*
cp "$RAW"/*.txt "$here/bench/raw/"
python3 "$here/bench/report.py" "$RAW" "$REPEAT" "$PRESETS" >"$here/bench/results.md"
cat "$here/bench/results.md"
