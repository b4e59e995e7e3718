#!/bin/bash
# The real cleaning engine on real file systems, each mapped to a removable
# drive letter: deleted data is gone from the raw image afterwards, no fill
# file is left, the file system is clean and its free space is back.
# Also: no medium, a write-protected medium, a stop, a full drive.
. "$(dirname "$0")/lib.sh" "$1" "$2"
tess_need_root "the file-system tests"

MARKER="TESSARINE-SECRET-$$-0123456789abcdef"
DIR="$TESS_TMP/stick"

wipe_one() {
  local kind=$1 size=$2 kib=$3
  echo "# $kind, $size MiB"
  tess_make_drive "$kind" "$size" "$DIR" || { tess_check "$kind: made and mounted" false; return; }
  tess_write_deleted_markers "$DIR" 4 "$kib" "$MARKER"
  if [ -n "$TESS_IMAGE" ]; then
    tess_unmount "$DIR"
    local before
    before=$(tess_marker_count "$TESS_IMAGE" "$MARKER")
    tess_check "$kind: deleted data is in the free space before ($before lines)" [ "$before" -gt 0 ]
    tess_remount "$kind" "$DIR"
  fi
  local free_before free_after output code listing
  free_before=$(tess_free_kib "$DIR")
  listing=$(ls -A "$DIR")
  tess_map_removable g "$DIR"
  output=$(clean_drive g:); code=$?
  echo "$output" | sed 's/^/     | /'
  tess_equal "$kind: the job succeeded" 0 "$code"
  tess_equal "$kind: last line" "Operation succeeded" "$(echo "$output" | tail -1)"
  tess_equal "$kind: first line" "Cleaning un-used sectors on drive g:" "$(echo "$output" | head -1)"
  tess_equal "$kind: no fill file left" "$listing" "$(ls -A "$DIR")"
  free_after=$(tess_free_kib "$DIR")
  tess_equal "$kind: free space is back" "$free_before" "$free_after"
  if [ -n "$TESS_IMAGE" ]; then
    tess_unmount "$DIR"
    tess_equal "$kind: no deleted data left in the raw image" 0 "$(tess_marker_count "$TESS_IMAGE" "$MARKER")"
    tess_check "$kind: the file system is clean" tess_fsck "$kind"
  fi
  tess_drop_drive "$DIR" g
}

wipe_one ext2 16 512
wipe_one exfat 32 1024
wipe_one ntfs 32 1024
wipe_one tmpfs 16 512

echo "# no medium: a drive letter whose folder is not there"
tess_map_removable h "$TESS_TMP/not-there"
output=$(clean_drive h:)
tess_equal "no medium: the three lines" "Cleaning un-used sectors on drive h:
Cannot detect Free space on drive h:
Be sure drive h: is available to the system" "$output"

echo "# write-protected medium"
tess_make_drive tmpfs 4 "$DIR"
mount -o remount,ro "$DIR"
tess_map_removable g "$DIR"
output=$(clean_drive g:)
tess_check "write-protected: Creating file" grep -q '^Creating file \[g:\\_[0-9A-V]*\.AAA\]$' <<<"$output"
tess_check "write-protected: Error opening file" grep -q '^Error opening file \[g:\\_[0-9A-V]*\.AAA\]$' <<<"$output"
tess_check "write-protected: nothing succeeded" bash -c "! grep -q 'Operation succeeded' <<<'$output'"
tess_unmount "$DIR"

echo "# stop in the middle of a larger drive"
# The engine alone fills 2 GiB of tmpfs in about a second here: the stop comes
# after 100 ms.
tess_make_drive tmpfs 2048 "$DIR"
tess_map_removable g "$DIR"
output=$(clean_drive g: 100); code=$?
tess_equal "stop: outcome" 1 "$code"
tess_equal "stop: last line" "Operation was stopped" "$(echo "$output" | tail -1)"
tess_equal "stop: every fill file deleted" "" "$(ls -A "$DIR")"
tess_unmount "$DIR"

echo "# a write on a full drive"
tess_make_drive tmpfs 2 "$DIR"
tess_map_removable g "$DIR"
TESSARINE_FULL_DRIVE=g: "$TESS_LOADER" "$TESS_BIN/tests/unit_tests.exe" --gtest_filter='FullDrive.*' \
  >"$TESS_TMP/full.log" 2>&1
tess_check "full drive: FileWrite gives 0" grep -q '\[  PASSED  \] 1 test' "$TESS_TMP/full.log"
tess_unmount "$DIR"

tess_done
