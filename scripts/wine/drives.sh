# Shared by the end-to-end scenarios and the bench: the build's programs
# under Wine, its window driver, scratch drives mapped to drive letters, and
# cleanup on every exit. Usage: . drives.sh BUILD_DIR SOURCE_DIR
TESS_BIN=$(cd "$1" && pwd)
TESS_SRC=$(cd "$2" && pwd)
. "$TESS_SRC/scripts/wine/wine-env.sh"
tess_wine_env "$TESS_BIN"
TESS_EXE="$TESS_BIN/Tessarine.exe"
TESS_LOADER=$(tess_wine_loader "$TESS_EXE")
TESS_TMP=$(mktemp -d "${TMPDIR:-/tmp}/tess-test.XXXXXX")
TESS_CLEANUPS=()
tess_cleanup() {
  local i
  for ((i = ${#TESS_CLEANUPS[@]} - 1; i >= 0; i--)); do eval "${TESS_CLEANUPS[$i]}" >/dev/null 2>&1; done
  rm -rf "$TESS_TMP"
}
trap tess_cleanup EXIT
trap 'exit 143' TERM INT # so that the cleanup runs when the test is stopped
tess_on_exit() { TESS_CLEANUPS+=("$1"); }
# Mount points lie on a tmpfs of 1 MiB (as root): should a drive's mount
# vanish during a run, Wine writes into that, never onto the machine's disk.
TESS_MNT="$TESS_TMP/mnt"
mkdir -p "$TESS_MNT"
mount -t tmpfs -o size=1m tmpfs "$TESS_MNT" 2>/dev/null && tess_on_exit "umount -l $TESS_MNT"

# The window driver.
drv() { "$TESS_LOADER" "$TESS_BIN/tools/tdriver.exe" "$@" | tr -d '\r'; return "${PIPESTATUS[0]}"; }

# tess_make_drive KIND SIZE_MB DIR: makes a file system of KIND (tmpfs,
# ext2, exfat, ntfs, or mkfs.ext2 -b N as ext2-N) and mounts it at DIR;
# sets TESS_IMAGE (none for tmpfs).
tess_make_drive() {
  local kind=$1 dir=$3
  mkdir -p "$dir"
  TESS_IMAGE="$TESS_TMP/$(basename "$dir").img" TESS_KIND=$kind
  [ "$kind" = tmpfs ] && { TESS_IMAGE=""; mount -t tmpfs -o size="$2m" tmpfs "$dir"; tess_on_exit "tess_unmount $dir"; return; }
  truncate -s "$2M" "$TESS_IMAGE"
  case $kind in
    ext2*) mkfs.ext2 -q -F -m 0 -b "$([ "$kind" = ext2 ] && echo 1024 || echo "${kind#ext2-}")" "$TESS_IMAGE" ;;
    exfat) mkfs.exfat "$TESS_IMAGE" >/dev/null; TESS_LOOP=$(losetup -f --show "$TESS_IMAGE"); tess_on_exit "losetup -d $TESS_LOOP" ;;
    ntfs) mkfs.ntfs -q -F -f "$TESS_IMAGE" >/dev/null 2>&1 ;;
  esac
  tess_remount "$dir"
  tess_on_exit "tess_unmount $dir"
}
tess_remount() { # dir: the image of the last tess_make_drive, mounted again
  case $TESS_KIND in
    ext2*) mount -o loop "$TESS_IMAGE" "$1" ;;
    exfat) mount.exfat-fuse "$TESS_LOOP" "$1" >/dev/null 2>&1 ;;
    ntfs) ntfs-3g "$TESS_IMAGE" "$1" ;;
  esac
}
tess_unmount() {
  sync
  for _ in 1 2 3 4 5; do
    mountpoint -q "$1" || return 0
    umount "$1" 2>/dev/null && return 0
    sleep 0.5
  done
  umount -l "$1" 2>/dev/null || true
}
tess_map_removable() { # letter dir
  tess_map_drive "$1" "$2" floppy
  tess_on_exit "tess_unmap_drive $1"
  tess_restart_wine
}
# tess_map_device LETTER IMAGE: the drive's device, a read-only loop of its
# image, so that Wine reads the boot sector and names a FAT drive as Windows
# does ("FAT32", "FAT"; without it every drive is "NTFS"). Takes effect when
# the server starts again (tess_map_removable). Only the boot sector is read.
tess_map_device() {
  TESS_DEVICE_LOOP=$(losetup -r -f --show "$2") || return 1
  ln -sfn "$TESS_DEVICE_LOOP" "$WINEPREFIX/dosdevices/$1::"
  tess_on_exit "tess_unmap_device $1"
}
tess_unmap_device() { # letter
  rm -f "$WINEPREFIX/dosdevices/$1::"
  [ -n "${TESS_DEVICE_LOOP:-}" ] && losetup -d "$TESS_DEVICE_LOOP"
  TESS_DEVICE_LOOP=""
}
# tess_faulty_drive BACK DIR FAULT...: tests/faulty/faultfs.py serves the
# folder BACK at DIR with these faults; sets TESS_FAULTFS.
tess_faulty_drive() {
  local back=$1 dir=$2; shift 2
  mkdir -p "$dir"
  /usr/bin/python3 "$TESS_SRC/tests/faulty/faultfs.py" "$back" "$dir" "$@" 2>"$TESS_TMP/faultfs.log" &
  TESS_FAULTFS=$!; disown
  tess_on_exit "kill -9 $TESS_FAULTFS; umount -l $dir"
  for _ in $(seq 50); do mountpoint -q "$dir" && break; sleep 0.1; done
}
tess_drop_faulty() { # dir: the faulty layer gone, the folder behind it left as it is
  kill -9 "$TESS_FAULTFS"; umount -l "$1"; TESS_FAULTFS=""
}
tess_free_kib() { df -k --output=avail "$1" | tail -1 | tr -d ' '; }
