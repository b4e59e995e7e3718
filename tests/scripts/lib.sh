# Shared by the shell tests and the bench: the build's programs under Wine,
# scratch drives made for the test and mapped to drive letters, and cleanup
# on every exit. Usage: . lib.sh BUILD_DIR SOURCE_DIR

TESS_BIN=$(cd "$1" && pwd)
TESS_SRC=$(cd "$2" && pwd)
. "$TESS_SRC/tests/wine/wine-env.sh"
tess_wine_env "$TESS_BIN"
TESS_EXE="$TESS_BIN/Tessarine.exe"
TESS_LOADER=$(tess_wine_loader "$TESS_EXE")
TESS_TMP=$(mktemp -d "${TMPDIR:-/tmp}/tess-test.XXXXXX")
TESS_FAILURES=0
TESS_CHECKS=0
TESS_CLEANUPS=()

tess_cleanup() {
  local i
  for ((i = ${#TESS_CLEANUPS[@]} - 1; i >= 0; i--)); do
    eval "${TESS_CLEANUPS[$i]}" >/dev/null 2>&1 || true
  done
  rm -rf "$TESS_TMP"
}
trap tess_cleanup EXIT
trap 'exit 143' TERM INT # so that the cleanup runs when the test is stopped
tess_on_exit() { TESS_CLEANUPS+=("$1"); }

# Skips (exit 77) with a loud reason; under CI a skip is a failure.
tess_skip() {
  echo "SKIPPED: $*"
  if [ "${CI:-}" = "true" ]; then
    echo "FAIL: nothing may be skipped in CI"
    exit 1
  fi
  exit 77
}
tess_need_root() { [ "$(id -u)" -eq 0 ] || tess_skip "$1 needs root (mounts)"; }

tess_check() { # description, then a command that must succeed
  local what=$1; shift
  TESS_CHECKS=$((TESS_CHECKS + 1))
  if "$@"; then echo "ok   - $what"; else echo "FAIL - $what"; TESS_FAILURES=$((TESS_FAILURES + 1)); fi
}
tess_equal() { # description, expected, actual
  TESS_CHECKS=$((TESS_CHECKS + 1))
  if [ "$2" = "$3" ]; then
    echo "ok   - $1"
  else
    echo "FAIL - $1"; echo "       expected: $2"; echo "       actual:   $3"
    TESS_FAILURES=$((TESS_FAILURES + 1))
  fi
}
tess_done() {
  echo "$((TESS_CHECKS - TESS_FAILURES)) passed, $TESS_FAILURES failed"
  [ "$TESS_FAILURES" -eq 0 ]
}

# The test driver.
drv() { "$TESS_LOADER" "$TESS_BIN/tests/tdriver.exe" "$@" | tr -d '\r'; return "${PIPESTATUS[0]}"; }

# Starts Tessarine (or another copy of it: TESS_RUN_EXE) in the background.
tess_start() {
  "$TESS_LOADER" "${TESS_RUN_EXE:-$TESS_EXE}" "$@" >/dev/null 2>&1 &
  TESS_PID=$!
  tess_on_exit "kill $TESS_PID"
}
# Waits for a background Tessarine (at most $2 s, 60 by default); sets TESS_CODE.
tess_wait() {
  local pid=${1:-$TESS_PID}
  for _ in $(seq $((${2:-60} * 10))); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$pid" 2>/dev/null; then
    kill "$pid"; TESS_CODE=timeout
  else
    wait "$pid"; TESS_CODE=$?
  fi
}
# The n-th main window, once it is there.
tess_window() { drv wait-windows "${1:-1}" 20000 | sed -n "${1:-1}p"; }

# --- Scratch drives -------------------------------------------------------
# tess_make_drive KIND SIZE_MB DIR: makes a file system of KIND (ext2, ext4,
# exfat, ntfs, tmpfs) and mounts it at DIR; sets TESS_IMAGE (none for tmpfs).
tess_make_drive() {
  local kind=$1 size=$2 dir=$3
  mkdir -p "$dir"
  TESS_IMAGE="$TESS_TMP/$(basename "$dir").img"
  case $kind in
    tmpfs) TESS_IMAGE=""; mount -t tmpfs -o size="${size}m" tmpfs "$dir" ;;
    ext2) truncate -s "${size}M" "$TESS_IMAGE"; mkfs.ext2 -q -F -m 0 -b 1024 "$TESS_IMAGE" ;;
    ext2-4k) truncate -s "${size}M" "$TESS_IMAGE"; mkfs.ext2 -q -F -m 0 -b 4096 "$TESS_IMAGE" ;;
    exfat)
      truncate -s "${size}M" "$TESS_IMAGE"
      mkfs.exfat "$TESS_IMAGE" >/dev/null
      TESS_LOOP=$(losetup -f --show "$TESS_IMAGE")
      tess_on_exit "losetup -d $TESS_LOOP" ;;
    ntfs) truncate -s "${size}M" "$TESS_IMAGE"; mkfs.ntfs -q -F -f "$TESS_IMAGE" >/dev/null 2>&1 ;;
    *) echo "unknown drive kind $kind"; return 1 ;;
  esac
  TESS_KIND=$kind
  [ "$kind" = tmpfs ] || tess_remount "$dir"
  tess_on_exit "tess_unmount $dir"
}
tess_remount() { # dir: the image of the last tess_make_drive, mounted again
  case $TESS_KIND in
    ext2|ext2-4k) mount -o loop "$TESS_IMAGE" "$1" ;;
    exfat) mount.exfat-fuse "$TESS_LOOP" "$1" >/dev/null 2>&1 ;;
    ntfs) ntfs-3g "$TESS_IMAGE" "$1" ;;
  esac
}
tess_unmount() {
  local dir=$1
  sync
  for _ in 1 2 3 4 5; do
    mountpoint -q "$dir" || return 0
    umount "$dir" 2>/dev/null && return 0
    sleep 0.5
  done
  umount -l "$dir" 2>/dev/null || true
}
# Done with a scratch drive: unmounted, its loop device freed, its letter unmapped.
tess_drop_drive() { # dir [letter]
  tess_unmount "$1"
  [ -n "${TESS_LOOP:-}" ] && losetup -d "$TESS_LOOP" 2>/dev/null
  TESS_LOOP=""
  [ -n "${2:-}" ] && tess_unmap_drive "$2"
  return 0
}
tess_fsck() { # kind image
  case $1 in
    ext2|ext2-4k|faulty) e2fsck -f -n "$2" ;;
    exfat) fsck.exfat -n "$2" ;;
    ntfs) ntfsfix -n "$2" ;;
    fat*) fsck.fat -n "$2" ;;
  esac >"$TESS_TMP/fsck.log" 2>&1
}

# Maps a mounted folder to a removable drive letter of the prefix.
tess_map_removable() {
  tess_map_drive "$1" "$2" floppy
  tess_on_exit "tess_unmap_drive $1"
  tess_restart_wine
}

# Writes files full of MARKER into DIR, makes sure they reach the medium,
# and deletes them: their data is then in the free space.
tess_write_deleted_markers() {
  local dir=$1 count=$2 kib=$3 marker=$4 i
  for i in $(seq "$count"); do
    yes "$marker" | head -c $((kib * 1024)) >"$dir/secret$i.txt"
  done
  sync
  rm -f "$dir"/secret*.txt
  sync
}
tess_marker_count() { grep -a -c "$2" "$1" || true; }
tess_free_kib() { df -k --output=avail "$1" | tail -1 | tr -d ' '; }

# --- The window as the user sees it ---------------------------------------
tess_screenshot() { DISPLAY=$DISPLAY import -window root "$1"; }
# The colour of a pixel of a screenshot, as "R,G,B".
tess_pixel() { convert "$1" -format '%[fx:int(255*p{'"$2"','"$3"'}.r)],%[fx:int(255*p{'"$2"','"$3"'}.g)],%[fx:int(255*p{'"$2"','"$3"'}.b)]' info:; }
# Screen position of a point on the gauge band: fraction (0-100) of its width.
tess_gauge_point() { # hwnd percent -> "x y"
  local left top width height
  read -r left top width height < <(drv client "$1")
  echo "$((left + 2 + (width - 4) * $2 / 100)) $((top + height * 5 / 6 + 12))"
}
# Clicks a control with the mouse, as the user does.
tess_click() { # hwnd id
  local l t r b
  read -r l t r b < <(drv rect "$1" "$2")
  DISPLAY=$DISPLAY xdotool mousemove $(((l + r) / 2)) $(((t + b) / 2)) click 1
}
