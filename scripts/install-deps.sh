#!/bin/bash
# Installs the Debian packages that the build and the tests need, only when
# something is missing. Idempotent: a machine that has everything is left alone.
set -euo pipefail

PACKAGES=(
  cmake make g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  binutils-mingw-w64-x86-64 binutils-mingw-w64-i686 mingw-w64-tools
  wine64 wine32:i386 xvfb xdotool x11-utils imagemagick
  exfatprogs exfat-fuse ntfs-3g fuse3 fuse2fs e2fsprogs dosfstools mtools
  fp-utils googletest zip unzip clang-format file
  python3-fusepy                      # the tests' drive that fails on demand
  libguestfs-tools linux-image-amd64  # FAT through the real Linux driver, in a small VM
  sleuthkit                           # a recovery tool's view of the deleted names
  xclip                               # the clipboard, as the log's copy leaves it
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: these packages are missing: ${missing[*]}" >&2
  echo "install-deps: run 'make test' as root, or install them with apt-get." >&2
  exit 1
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"
