#!/bin/bash
# ctest's emulator: runs a test executable under Wine in the build folder's
# private prefix and display. Usage: wine-run.sh BUILD_DIR program.exe args...
bin=$1; shift
. "$(dirname "$0")/wine-env.sh"
tess_wine_env "$bin"
loader=$(tess_wine_loader "$1")
export TESSARINE_STRICT=1
exec "$loader" "$@"
