#!/bin/bash
# ctest's emulator: runs a test executable under Wine in the build folder's
# private prefix and display. Usage: wine-run.sh BUILD_DIR program.exe args...
bin=$1; shift
. "$(dirname "$0")/wine-env.sh"
tess_wine_env "$bin"
loader=$(tess_wine_loader "$1")
export TESSARINE_STRICT=1
"$loader" "$@"
status=$?
# 139: the loader itself died of SIGSEGV. A fault in the program is caught by
# Wine as an exception of the program's (its crash dialog, or the exception's
# code); this is Wine's own Unix side, seen now and then in the 32-bit dialog
# tests once they copy the log through X's clipboard. Once more, said aloud;
# a second crash fails the test.
if [ $status = 139 ]; then
  echo "wine-run: Wine itself crashed (SIGSEGV in its Unix side); running $(basename "$1") once more"
  "$loader" "$@"
  status=$?
fi
exit $status
