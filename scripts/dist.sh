#!/bin/bash
# make dist: dist/Tessarine-0.10-win32.zip and -win64.zip, each holding
# Tessarine.exe, Tessarine.chm and README.txt, and SHA256SUMS beside them.
# Usage: dist.sh [OUT_DIR [PRESET...]]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$here/dist}
shift || true
if [ $# -gt 0 ]; then presets=("$@"); else presets=(win32 win64); fi
mkdir -p "$out"
for preset in "${presets[@]}"; do
  bin="$here/build/$preset"
  for f in Tessarine.exe Tessarine.chm; do
    [ -f "$bin/$f" ] || { echo "dist: $bin/$f is missing; run make build"; exit 1; }
  done
  stage=$(mktemp -d)
  cp "$bin/Tessarine.exe" "$bin/Tessarine.chm" "$stage/"
  sed 's/$/\r/' "$here/scripts/dist/README.txt" >"$stage/README.txt"
  zip="$out/Tessarine-0.10-$preset.zip"
  rm -f "$zip"
  (cd "$stage" && zip -q -X "$zip" Tessarine.exe Tessarine.chm README.txt)
  rm -rf "$stage"
  echo "dist: $zip"
done
(cd "$out" && sha256sum Tessarine-0.10-*.zip >SHA256SUMS)
echo "dist: $out/SHA256SUMS"
