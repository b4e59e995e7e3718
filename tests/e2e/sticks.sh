# The seeded sticks of tests/e2e/sticks.py, for the net and the scenario
# table: the file system's driver mounted at a folder, the tree planted, the
# image checked. Sourced after scripts/wine/drives.sh; IMAGE is the stick's
# image. FAT, and exFAT through the Linux kernel's own driver (exfat-kernel),
# go through the real driver in a small VM (GUEST: its pid).
STICKS="/usr/bin/python3 $TESS_SRC/tests/e2e/sticks.py"

stick_in_vm() { case $1 in fat* | exfat-kernel) return 0 ;; esac; return 1; } # fs

stick_mount() { # fs dir
  case $1 in
    fat* | exfat-kernel)
      # big_writes: a write of 128 KiB reaches the VM whole, not in pieces of 4 KiB (six times as fast)
      LIBGUESTFS_BACKEND=direct LIBGUESTFS_BACKEND_SETTINGS=force_tcg guestmount --format=raw -a "$IMAGE" \
        -m /dev/sda --rw -o allow_other -o big_writes --pid-file "$TESS_TMP/guest.pid" "$2" || return 1
      GUEST=$(cat "$TESS_TMP/guest.pid") ;;
    exfat) STICK_LOOP=$(losetup -f --show "$IMAGE") && mount.exfat-fuse "$STICK_LOOP" "$2" >/dev/null 2>&1 ;;
    ntfs) ntfs-3g "$IMAGE" "$2" ;;
    ext2*) mount -o loop "$IMAGE" "$2" ;;
  esac
}
stick_unmount() { # fs dir: and wait until the image holds all of it
  if [ -n "${GUEST:-}" ]; then
    guestunmount "$2" >/dev/null 2>&1
    for _ in $(seq 100); do kill -0 "$GUEST" 2>/dev/null || break; sleep 0.2; done
    GUEST=""
  else
    tess_unmount "$2"
  fi
  [ -n "${STICK_LOOP:-}" ] && losetup -d "$STICK_LOOP"; STICK_LOOP=""
}
tess_on_exit 'stick_unmount - "$DIR"'

stick_fsck() { # fs: the file system check of the image, its output in $TESS_TMP/fsck.log
  case $1 in
    ext2* | faulty) e2fsck -f -n "$IMAGE" ;; exfat*) fsck.exfat -n "$IMAGE" ;; ntfs) ntfsfix -n "$IMAGE" ;;
    fat*) fsck.fat -n "$IMAGE" ;;
  esac >"$TESS_TMP/fsck.log" 2>&1
}

# seed fs dir state: the stick made and planted. Through the VM one mount
# does it all (each file and folder is flushed, so the image holds them), and
# the stick stays mounted for the run: a boot of the VM takes half a minute.
# The other drivers are mounted again for the deletions, so that the image
# holds every file first, and are left unmounted.
stick_make() {
  local seed=$1 fs=$2 dir=$3 state=$4
  $STICKS make "$seed" "$fs" "$IMAGE" && stick_mount "$fs" "$dir" &&
    $STICKS plant "$seed" "$fs" "$dir" "$state" create || { stick_unmount "$fs" "$dir"; return 1; }
  if ! stick_in_vm "$fs"; then
    stick_unmount "$fs" "$dir" && stick_mount "$fs" "$dir" || return 1
  fi
  $STICKS plant "$seed" "$fs" "$dir" "$state" delete; local status=$?
  stick_in_vm "$fs" && [ $status = 0 ] || stick_unmount "$fs" "$dir"
  return $status
}
