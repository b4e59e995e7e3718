#!/bin/bash
# make bench: the time to fill a drive's whole free space and give it back,
# for Tessarine (each build that this machine can run, under Wine, the drive
# on the command line, Ok pressed by the test driver, timed from the start
# order to the deletion of the last fill file) against dd bs=128k conv=fsync
# and the deletion of its file, alternating, on drives large enough that a
# run takes seconds; on a drive throttled to a USB 2 stick's speed also the
# time from a Stop to its log line; and on NTFS the time the free records of
# the file table take. Writes bench/results.md and keeps the raw figures in
# bench/raw/. Needs root (it mounts its scratch drives); touches no other drive.
set -u
here=$(cd "$(dirname "$0")/.." && pwd)
REPEAT=${REPEAT:-5}
[ "$(id -u)" -eq 0 ] || { echo "bench: needs root to mount its scratch drives"; exit 1; }
dpkg-query -W -f='${Status}' bc 2>/dev/null | grep -q 'install ok installed' ||
  { apt-get update -q >/dev/null; DEBIAN_FRONTEND=noninteractive apt-get install -y -q bc >/dev/null; }
bash "$here/scripts/wine/setup.sh" "$here/build/win64" >/dev/null
. "$here/scripts/wine/drives.sh" "$here/build/win64" "$here"
tess_on_exit "bash '$here/scripts/wine/cleanup.sh' '$TESS_BIN'"
PRESETS="win64"
/usr/lib/wine/wine --version >/dev/null 2>&1 && PRESETS="win64 win32" # a kernel without 32-bit support cannot
DIR="$TESS_TMP/drive"
RAW="$TESS_TMP/raw"
mkdir -p "$RAW"
: >"$RAW/timings.txt"; : >"$RAW/pings.txt"; : >"$RAW/stops.txt"; : >"$RAW/records.txt"; : >"$RAW/leftovers.txt"; : >"$RAW/names.txt"

now() { date +%s.%N; }
record() { echo "$1|$2|$3|$4" >>"$RAW/timings.txt"; } # drive contender seconds bytes

run_tessarine() { # preset drive-label [warm-up]
  local bin="$here/build/$1" loader w out
  loader=$(tess_wine_loader "$bin/Tessarine.exe")
  "$loader" "$bin/Tessarine.exe" g: >/dev/null 2>&1 &
  local pid=$!
  w=$("$loader" "$bin/tools/tdriver.exe" wait-windows 1 30000 | tr -d '\r' | head -1)
  [ -n "$w" ] || { echo "bench: Tessarine's window did not appear"; exit 1; }
  out=$("$loader" "$bin/bench/watch.exe" run "$w" g: 900000 | tr -d '\r')
  "$loader" "$bin/tools/tdriver.exe" click "$w" 105 >/dev/null
  wait "$pid"
  [ -n "${3:-}" ] && return
  set -- "$1" "$2" $out # succeeded S ended S ping_median_us U ping_max_us U
  record "$2" "tessarine-$1" "$6" "$FREE_BYTES"
  echo "$2|tessarine-$1|$8|${10}" >>"$RAW/pings.txt"
}
run_dd() { # label
  local t0 t1
  sync; t0=$(now)
  dd if=/dev/zero of="$DIR/ddfill" bs=128k conv=fsync status=none 2>/dev/null
  rm -f "$DIR/ddfill"; sync
  t1=$(now)
  record "$1" "dd-bs128k" "$(echo "$t1 - $t0" | bc)" "$FREE_BYTES"
}

make_drive() { # kind size-MiB [faults]: mounted at DIR, mapped as g:
  if [ "$1" = ram ]; then # ext2 in memory: a tmpfs has no folder entries to run out of
    mkdir -p "$TESS_TMP/ram"; mount -t tmpfs -o size=$(($2 + 64))m tmpfs "$TESS_TMP/ram"; tess_on_exit "umount -l $TESS_TMP/ram"
    TESS_TMP="$TESS_TMP/ram" tess_make_drive ext2-4096 "$2" "$DIR"
  elif [ "$1" = throttled ]; then
    tess_make_drive tmpfs "$2" "$TESS_TMP/back"
    tess_faulty_drive "$TESS_TMP/back" "$DIR" "$3"
  else
    tess_make_drive "$1" "$2" "$DIR"
  fi
  tess_map_removable g "$DIR"
  FREE_BYTES=$(($(tess_free_kib "$DIR") * 1024))
}
drop_drive() {
  if [ -n "${TESS_FAULTFS:-}" ]; then tess_drop_faulty "$DIR"; tess_unmount "$TESS_TMP/back"
  else unmap_drive; fi
}
unmap_drive() { # the drive at DIR and its letter g: gone
  tess_unmount "$DIR"
  [ -n "${TESS_LOOP:-}" ] && losetup -d "$TESS_LOOP" 2>/dev/null
  TESS_LOOP=""
  mountpoint -q "$TESS_TMP/ram" && umount -l "$TESS_TMP/ram" # the memory back
  tess_unmap_drive g
}

bench_drive() { # kind size-MiB rounds label [faults]
  echo "bench: $4"
  make_drive "$1" "$2" "${5:-}"
  run_tessarine win64 "$4" warm-up # the first Wine process after a restart runs slowly
  for round in $(seq "$3"); do
    for preset in $PRESETS; do run_tessarine "$preset" "$4"; run_dd "$4"; done
    echo "bench:   round $round done"
  done
}

bench_drive ram 4096 "$REPEAT" "ext2 of 4 GiB in memory"
drop_drive
bench_drive ext2-4096 1024 "$REPEAT" "ext2 1 GiB (4 KiB blocks, image on disk)"
drop_drive
bench_drive exfat 512 "$REPEAT" "exFAT 512 MiB (FUSE)"
drop_drive
bench_drive throttled 256 3 "a USB 2 stick: 256 MiB at 25 MB/s" mbps=25
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

# NTFS: the free records of the file table, after the free clusters; the
# engine alone, which writes when each log line came.
echo "bench: NTFS free records"
tess_make_drive ntfs 64 "$DIR"
for ((i = 0; i < 3000; i++)); do printf 'note %05d\n' "$i" >"$DIR/note$i.txt"; done
sync; rm -f "$DIR"/note*.txt; sync
tess_map_removable g "$DIR"
"$WINE64" "$here/build/win64/bench/clean_drive.exe" g: 2>&1 >/dev/null | tr -d '\r' |
  awk '/Cleaning the free records/ {t0 = $1} / free records of the file table were overwritten/ {print $2 "|" $1 - t0}' \
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

# The names of deleted files: 10,000 deleted from one folder (a live file after
# them, so that the folder keeps its size), the step timed from its first line
# to its last; the engine alone. exFAT through FUSE, FAT32 through the real FAT
# driver in a small VM.
echo "bench: the names of 10,000 deleted files"
mkdir -p "$TESS_TMP/many"
for i in $(seq -w 1 10000); do : >"$TESS_TMP/many/$i deleted letter to the lawyer.txt"; done
echo keep >"$TESS_TMP/zz keep.txt"
time_names() { # label
  "$WINE64" "$here/build/win64/bench/clean_drive.exe" g: 2>&1 >/dev/null | tr -d '\r' |
    awk -v label="$1" '/Cleaning the names/ {t0 = $1} / free entries of folders were overwritten/ {print label "|" $2 "|" $1 - t0}' \
    >>"$RAW/names.txt"
}
tess_make_drive exfat 64 "$DIR"
mkdir "$DIR/big"; cp "$TESS_TMP"/many/* "$TESS_TMP/zz keep.txt" "$DIR/big/"; sync; rm "$DIR"/big/[0-9]*; sync
tess_map_removable g "$DIR"
time_names "exFAT 64 MiB (FUSE)"
unmap_drive
IMAGE="$TESS_TMP/fat.img"
mkfs.fat -C -F 32 -S 512 -s 1 "$IMAGE" $((64 * 1024)) >/dev/null
mmd -i "$IMAGE" ::/big; mcopy -i "$IMAGE" "$TESS_TMP"/many/* "$TESS_TMP/zz keep.txt" ::/big/; mdel -i "$IMAGE" "::/big/[0-9]*"
LIBGUESTFS_BACKEND=direct LIBGUESTFS_BACKEND_SETTINGS=force_tcg guestmount --format=raw -a "$IMAGE" -m /dev/sda --rw \
  -o allow_other "$DIR" && tess_map_removable g "$DIR" && time_names "FAT32 64 MiB, 512-byte clusters (Linux driver in a VM)"
guestunmount "$DIR"; tess_unmap_drive g

mkdir -p "$here/bench/raw"
rm -f "$here/bench/raw"/*
cp "$RAW"/*.txt "$here/bench/raw/"
python3 "$here/bench/report.py" "$RAW" "$REPEAT" "$PRESETS" >"$here/bench/results.md"
cat "$here/bench/results.md"
