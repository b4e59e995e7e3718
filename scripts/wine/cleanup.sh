#!/bin/bash
# Undoes setup.sh: stops the build folder's wineserver and Xvfb.
bin=$1
. "$(dirname "$0")/wine-env.sh"
tess_wine_env "$bin"
"$WINESERVER" -k >/dev/null 2>&1 || true
if [ -f "$bin/xvfb.pid" ]; then
  kill "$(cat "$bin/xvfb.pid")" >/dev/null 2>&1 || true
  rm -f "$bin/xvfb.pid"
fi
rm -f "$bin/wine-display"
mountpoint -q "$bin/drives" && umount -l "$bin/drives"
exit 0
