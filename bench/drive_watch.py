#!/usr/bin/env python3
"""The bench's outside stopwatch: the seconds from the first file that
appears on a drive to the drive being as it was again, none of the files that
appeared left (inotify on the drive's root and every folder there at the
start) and its free space back (the kernel frees a deleted file's blocks
after it reports the name gone). Every contender is timed so. Prints "ready"
once it watches, then the seconds. usage: drive_watch.py DIR TIMEOUT_S"""
import ctypes
import os
import select
import struct
import sys
import time

IN_CREATE, IN_DELETE, IN_MOVED_FROM, IN_MOVED_TO = 0x100, 0x200, 0x40, 0x80
SLACK = 1 << 20  # a folder may keep a block it grew by


def free_bytes(root):
    sv = os.statvfs(root)
    return sv.f_bavail * sv.f_frsize


def main():
    root, timeout = sys.argv[1], float(sys.argv[2])
    libc = ctypes.CDLL('libc.so.6', use_errno=True)
    fd = libc.inotify_init1(os.O_NONBLOCK)
    mask = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO
    for folder, _, _ in os.walk(root):
        libc.inotify_add_watch(fd, folder.encode(), mask)
    free_before = free_bytes(root)
    print('ready', flush=True)
    appeared, first, deadline = set(), None, time.monotonic() + timeout
    while time.monotonic() < deadline:
        if not select.select([fd], [], [], 1.0)[0]:
            continue
        data = os.read(fd, 65536)
        now = time.monotonic()
        while data:
            wd, event, _, length = struct.unpack_from('iIII', data)
            name, data = (wd, data[16:16 + length].rstrip(b'\0')), data[16 + length:]
            if event & (IN_CREATE | IN_MOVED_TO):
                first = now if first is None else first
                appeared.add(name)
            elif event & (IN_DELETE | IN_MOVED_FROM):
                appeared.discard(name)
        if first is not None and not appeared:
            while free_bytes(root) < free_before - SLACK and time.monotonic() < deadline:
                time.sleep(0.002)
            print(f'{time.monotonic() - first:.3f}', flush=True)
            return 0
    print('drive_watch: no end in time', file=sys.stderr)
    return 2


if __name__ == '__main__':
    sys.exit(main())
