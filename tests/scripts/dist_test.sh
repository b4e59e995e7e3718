#!/bin/bash
# The release zip of this build: exactly Tessarine.exe, Tessarine.chm and
# README.txt, and the program in it starts and quits.
. "$(dirname "$0")/lib.sh" "$1" "$2"
preset=$(basename "$TESS_BIN")
bash "$TESS_SRC/scripts/dist.sh" "$TESS_TMP/dist" "$preset" >/dev/null
zip="$TESS_TMP/dist/Tessarine-0.10-$preset.zip"
tess_check "the zip is made" [ -f "$zip" ]
tess_check "SHA256SUMS beside it holds its checksum" \
  bash -c "cd '$TESS_TMP/dist' && grep -q ' Tessarine-0.10-$preset.zip\$' SHA256SUMS && sha256sum -c --quiet SHA256SUMS"
tess_equal "it holds exactly the three files" "README.txt
Tessarine.chm
Tessarine.exe" "$(unzip -Z1 "$zip" | sort)"
mkdir -p "$TESS_TMP/unpacked"
unzip -q "$zip" -d "$TESS_TMP/unpacked"
tess_check "the exe is the build's" cmp -s "$TESS_TMP/unpacked/Tessarine.exe" "$TESS_EXE"
tess_check "README names the exit codes" grep -q "Exit codes" "$TESS_TMP/unpacked/README.txt"
"$TESS_LOADER" "$TESS_TMP/unpacked/Tessarine.exe" >/dev/null 2>&1 &
TESS_PID=$!
tess_on_exit "kill $TESS_PID"
w=$(tess_window)
tess_check "the unpacked program starts" [ -n "$w" ]
drv click "$w" 105
tess_wait
tess_equal "and quits with 0" 0 "$TESS_CODE"

# The imports and the subsystem version: nothing newer than XP is needed.
objdump=$(command -v x86_64-w64-mingw32-objdump)
dlls=$("$objdump" -p "$TESS_EXE" | awk '/DLL Name/ {print tolower($3)}' | sort | tr '\n' ' ')
tess_equal "only system DLLs are imported" "advapi32.dll gdi32.dll kernel32.dll msvcrt.dll user32.dll " "$dlls"
want=$([ "$preset" = win64 ] && echo 2 || echo 1)
tess_equal "subsystem version" "5.$want" "$("$objdump" -p "$TESS_EXE" | awk '/MajorSubsystemVersion/ {ma=$2} /MinorSubsystemVersion/ {mi=$2} END {print ma "." mi}')"
tess_check "a GUI program" grep -q "Windows GUI" < <("$objdump" -p "$TESS_EXE")
tess_done
