#!/bin/bash
# ctest's emulator: runs a test executable under Wine in the build folder's
# private prefix and display. Usage: wine-run.sh BUILD_DIR program.exe args...
bin=$1; shift
. "$(dirname "$0")/wine-env.sh"
tess_wine_env "$bin"
loader=$(tess_wine_loader "$1")
export TESSARINE_STRICT=1
# The program writes into a file, shown once it ends, not into ctest's pipe:
# a Wine service that the program starts (where the prefix's server had lost
# its own) keeps the streams it was given for as long as it runs, and ctest
# waited for that pipe to end long after the tests had passed.
out=$(mktemp)
trap 'rm -f "$out"' EXIT
run() { "$loader" "$@" >"$out" 2>&1; local code=$?; cat "$out"; return $code; }
run "$@"
status=$?
# 139: the loader itself died of SIGSEGV. A fault in the program is caught by
# Wine as an exception of the program's (it ends with the exception's
# code); this is Wine's own Unix side. Seen in the 32-bit dialog tests while
# their fixture killed its stand-in worker with TerminateThread (it no longer
# does). Once more, said aloud; a second crash fails the test.
if [ $status = 139 ]; then
  echo "wine-run: Wine itself crashed (SIGSEGV in its Unix side); running $(basename "$1") once more"
  run "$@"
  status=$?
fi
exit $status
