# Sourced by the tests, the bench and the demo: the private Wine prefix and display of one
# build folder. $1 of the caller's choice is the build folder.
tess_wine_env() {
  local bin=$1
  export WINEPREFIX="$bin/wineprefix"
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree="
  if [ -f "$bin/wine-display" ]; then
    DISPLAY=$(cat "$bin/wine-display")
    export DISPLAY
  fi
  WINE64=/usr/lib/wine/wine64
  WINE32=/usr/lib/wine/wine
  WINESERVER=/usr/lib/wine/wineserver
}

# The loader that runs this executable (PE32+ needs wine64).
tess_wine_loader() {
  if file -b "$1" 2>/dev/null | grep -q 'PE32+'; then echo "$WINE64"; else echo "$WINE32"; fi
}

# Maps drive letter $1 (e.g. "e") to folder $2 with type $3 (floppy, hd, cdrom).
tess_map_drive() {
  ln -sfn "$2" "$WINEPREFIX/dosdevices/$1:"
  "$WINE64" reg add 'HKLM\Software\Wine\Drives' /v "$1:" /t REG_SZ /d "$3" /f >/dev/null 2>&1
}

tess_unmap_drive() {
  rm -f "$WINEPREFIX/dosdevices/$1:"
  "$WINE64" reg delete 'HKLM\Software\Wine\Drives' /v "$1:" /f >/dev/null 2>&1 || true
}

# Makes the prefix once (wineboot -i) and sets what the tool's windows need:
# without a window manager Wine would wait 2 s for one on every destroyed
# window, so its windows are unmanaged (Wine draws their frames). A program
# that crashes ends at once with its exception: Wine's debugger, started for
# it, waited on a display nobody looks at until the test's time ran out.
tess_make_prefix() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$WINE64" wineboot -i >"${1:-/dev/null}" 2>&1 </dev/null || true
    "$WINESERVER" -w # the registry reaches the disk when the server ends
    [ -f "$WINEPREFIX/system.reg" ] || return 1
  fi
  "$WINE64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  "$WINE64" reg add 'HKCU\Software\Wine\DllOverrides' /v winedbg.exe /t REG_SZ /d '' /f >/dev/null 2>&1
}

# Drive types are read when Wine's services start: after mapping drives, a
# fresh persistent server and services.
tess_restart_wine() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
  "$WINESERVER" -w >/dev/null 2>&1 || true
  "$WINESERVER" -p >/dev/null 2>&1 </dev/null
  "$WINE64" wineboot >/dev/null 2>&1 </dev/null || true
}
