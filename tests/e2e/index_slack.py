#!/usr/bin/env python3
"""Entries of deleted names in the unused end of an NTFS image's index blocks.

usage: index_slack.py IMAGE WORD
       index_slack.py IMAGE --room PREFIX
A folder's index block ("INDX", 4 KiB) says how many of its bytes are in
use; a name deleted from it stays in the rest, where parsers of index
blocks list it. Prints the entries found there whose name holds WORD; or
the bytes free in the leaf block that ends with the last name of PREFIX.
"""
import struct
import sys


def undone(block):
    """The block with its update sequence undone (the last two bytes of each sector); None if torn."""
    offset, count = struct.unpack_from('<HH', block, 4)
    b = bytearray(block)
    usn = b[offset:offset + 2]
    for i in range(1, count):
        end = i * 512 - 2
        if end + 2 > len(b) or b[end:end + 2] != usn:
            return None
        b[end:end + 2] = b[offset + 2 * i:offset + 2 * i + 2]
    return bytes(b)


def names(b, at, stop):
    """Names of the entries that parse at 8-byte steps from at to stop (whole and partial ones)."""
    found = []
    while at + 0x52 <= stop:
        length, key = struct.unpack_from('<HH', b, at + 8)
        count = b[at + 0x50]
        if count > 0 and key == 0x42 + 2 * count and length >= 0x10 + key and length % 8 == 0 and at + 0x10 + key <= stop:
            found.append(b[at + 0x52:at + 0x52 + 2 * count].decode('utf-16-le', 'replace'))
            at += length
        else:
            at += 8
    return found


image = open(sys.argv[1], 'rb').read()
slack, last = [], ('', 0)
for at in range(0, len(image) - 4096 + 1, 512):
    b = undone(image[at:at + 4096]) if image[at:at + 4] == b'INDX' else None
    if b is not None:
        first, in_use, allocated = struct.unpack_from('<III', b, 0x18)
        if in_use <= allocated <= 4096 - 0x18:
            slack += names(b, 0x18 + in_use, 0x18 + allocated)
            used = names(b, 0x18 + first, 0x18 + in_use)
            if not b[0x24] & 1 and used and used[-1].startswith(sys.argv[-1]) and used[-1].upper() > last[0].upper():
                last = (used[-1], allocated - in_use)
print(last[1] if sys.argv[2] == '--room' else sum(sys.argv[2] in n for n in slack))
