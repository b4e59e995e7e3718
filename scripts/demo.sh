#!/bin/bash
# make demo: a scratch "USB stick" with deleted files whose contents are still
# in its free space, mapped as removable drive E: in a private Wine prefix,
# and Tessarine started on it. With a display, you operate it yourself: pick
# E:, Ok, Yes, wait for "Operation succeeded", Quit. Without one, the demo
# runs on a private Xvfb, operates the window itself and saves screenshots.
# At the end it tells how much of the deleted data could still be found in
# the stick's raw image before and after.
set -u
here=$(cd "$(dirname "$0")/.." && pwd)
bin="$here/build/win64"
demo="$here/build/demo"
mkdir -p "$demo"
. "$here/scripts/wine/wine-env.sh"
tess_wine_env "$demo"
export WINEPREFIX="$demo/wineprefix"
marker="TESSARINE-DEMO-DELETED-LETTER"
image="$demo/usb-stick.img"
stick="$demo/stick"
loop=""
xvfb=""

cleanup() {
  # Wine first: its programs would complain of a display that went away.
  "$WINESERVER" -k 2>/dev/null; "$WINESERVER" -w 2>/dev/null
  [ -n "$xvfb" ] && { kill "$xvfb"; wait "$xvfb"; } 2>/dev/null
  if mountpoint -q "$stick" 2>/dev/null; then umount "$stick" 2>/dev/null || fusermount -u "$stick" 2>/dev/null; fi
  [ -n "$loop" ] && losetup -d "$loop" 2>/dev/null
  mountpoint -q "$demo/guard" 2>/dev/null && umount -l "$demo/guard"
  rm -f "$WINEPREFIX/dosdevices/e:"
}
trap cleanup EXIT

mount_stick() {
  if [ "$kind" = exfat ]; then mount.exfat-fuse "$loop" "$stick" >/dev/null 2>&1; else fuse2fs "$image" "$stick" -o fakeroot >/dev/null 2>&1; fi
}
unmount_stick() {
  sync
  if [ "$kind" = exfat ]; then umount "$stick"; else fusermount -u "$stick" 2>/dev/null || umount "$stick"; fi
}
found_bytes() { echo $(( $(grep -a -o "$marker" "$image" | wc -l) * ${#marker} )); }

# As root the mount point lies on a tmpfs of 1 MiB: should the stick's mount
# vanish, Wine writes into that, never onto the machine's disk.
if [ "$(id -u)" -eq 0 ]; then
  mkdir -p "$demo/guard"; mountpoint -q "$demo/guard" || mount -t tmpfs -o size=1m tmpfs "$demo/guard"
  stick="$demo/guard/stick"
fi
mkdir -p "$stick"
rm -f "$image"
truncate -s 32M "$image"
if [ "$(id -u)" -eq 0 ]; then
  kind=exfat
  mkfs.exfat "$image" >/dev/null
  loop=$(losetup -f --show "$image")
elif command -v fuse2fs >/dev/null && [ -w /dev/fuse ]; then
  kind=ext4
  mkfs.ext4 -q -F -m 0 "$image"
else
  echo "demo: making a scratch USB stick needs root (an exFAT image on a loop device) or FUSE"
  echo "demo: (fuse2fs and a writable /dev/fuse). Run 'make demo' as root."
  exit 1
fi
echo "demo: a 32 MiB $kind USB stick in $image"
mount_stick || { echo "demo: cannot mount the stick"; exit 1; }
for i in 1 2 3; do yes "Dear diary, $marker number $i." | head -c 2M >"$stick/diary$i.txt"; done
sync
rm -f "$stick"/diary*.txt
unmount_stick
before=$(found_bytes)
echo "demo: three files of 2 MiB were written and deleted; $before bytes of them are still in the image"
mount_stick

[ -f "$WINEPREFIX/system.reg" ] || echo "demo: creating a Wine prefix for the demo (once)"
tess_make_prefix || { echo "demo: cannot make a Wine prefix"; exit 1; }
tess_map_drive e "$stick" floppy
"$WINESERVER" -k 2>/dev/null; "$WINESERVER" -w 2>/dev/null

if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 150 199); do [ -e "/tmp/.X$n-lock" ] || { display=$n; break; }; done
  Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  export DISPLAY=":$display"
  sleep 1
  echo "demo: no display; running on a private Xvfb and operating the window myself"
  "$WINE64" "$bin/Tessarine.exe" >/dev/null 2>&1 &
  pid=$!
  drv() { "$WINE64" "$bin/tools/tdriver.exe" "$@" | tr -d '\r'; }
  w=$(drv wait-windows 1 30000 | head -1)
  drv select "$w" E:
  import -window root "$demo/demo-1-ready.png"
  drv click "$w" 1
  sleep 1
  import -window root "$demo/demo-2-confirmation.png"
  drv answer "Tessarine by the Tessarine authors" 1 20000 >/dev/null
  for _ in $(seq 600); do drv log "$w" | grep -qx "Operation succeeded" && break; sleep 0.2; done
  sleep 0.5
  import -window root "$demo/demo-3-succeeded.png"
  drv log "$w" | sed 's/^/demo: log | /'
  drv click "$w" 105
  wait "$pid"
  echo "demo: screenshots in $demo/demo-*.png"
else
  echo "demo: Tessarine is starting on your display. Pick E:, press Ok, then Yes; Quit when it is done."
  "$WINE64" "$bin/Tessarine.exe" >/dev/null 2>&1
fi

unmount_stick
after=$(found_bytes)
echo "demo: deleted data still in the image: $before bytes before, $after bytes after"
