#!/bin/bash
# For the tests and the bench: makes the build folder's Wine prefix (once, reused), starts a
# private Xvfb display and a persistent wineserver, and maps the drive letters
# that the tests use. cleanup.sh undoes everything but the prefix.
set -eu
trap 'echo "setup failed: line $LINENO of $0"' ERR
bin=$1
. "$(dirname "$0")/wine-env.sh"
tess_wine_env "$bin"
for tool in "$WINE64" "$WINE32" Xvfb; do
  command -v "$tool" >/dev/null || { echo "setup failed: $tool is missing (run make test to install it)"; exit 1; }
done

"$(dirname "$0")/cleanup.sh" "$bin" || true

# A free display number of our own.
display=""
for n in $(seq 90 140); do
  if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then display=$n; break; fi
done
[ -n "$display" ] || { echo "setup failed: no free display between :90 and :140 (/tmp/.X*-lock)"; exit 1; }
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >"$bin/xvfb.log" 2>&1 &
echo $! >"$bin/xvfb.pid"
echo ":$display" >"$bin/wine-display"
export DISPLAY=":$display"
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
[ -e "/tmp/.X11-unix/X$display" ] || { echo "setup failed: Xvfb :$display did not start:"; cat "$bin/xvfb.log"; exit 1; }

[ -f "$WINEPREFIX/system.reg" ] || echo "setup: creating the Wine prefix $WINEPREFIX"
tess_make_prefix "$bin/wineboot.log" || { echo "setup failed: wineboot"; cat "$bin/wineboot.log"; exit 1; }

# Drives for the drive-type tests: a: and e: removable, f: fixed; none is
# written. As root they lie on a tiny tmpfs: a test gone wrong that fills
# one of them can never fill this machine's disk.
mkdir -p "$bin/drives"
[ "$(id -u)" -eq 0 ] && mount -t tmpfs -o size=1m tmpfs "$bin/drives"
mkdir -p "$bin/drives/diskette" "$bin/drives/removable" "$bin/drives/fixed"
# A scenario killed before its own cleanup leaves its scratch drive's letter
# behind, pointing nowhere; the drive list would show it.
find "$WINEPREFIX/dosdevices" -maxdepth 1 -xtype l -delete
tess_map_drive a "$bin/drives/diskette" floppy
tess_map_drive e "$bin/drives/removable" floppy
tess_map_drive f "$bin/drives/fixed" hd
tess_restart_wine
echo "setup: prefix ready, display :$display"
