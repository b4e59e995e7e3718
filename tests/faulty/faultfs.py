#!/usr/bin/python3
"""A drive that misbehaves on demand: a FUSE file system passing every call
through to a folder, but for its faults. faultfs.py FOLDER MOUNTPOINT FAULT...
  fail-fsync         flushes to the medium fail (EIO)
  vanish=BYTES       every call fails (EIO) once BYTES were written
  mbps=N             writes at N MB/s and reads at twice that, like a USB stick
  lose-after=BYTES   worn flash: writes once BYTES were written are acknowledged
                     and never kept, and reading them gives old contents
  direct-io          every read reaches this layer, past the page cache, as a
                     read of Windows' FILE_FLAG_NO_BUFFERING reaches the medium
                     (lose-after implies it)
"""
import errno
import os
import sys
import threading
import time

from fusepy import FUSE, FuseOSError, Operations

BLOCK = 4096
OLD = b"what the worn cells held "  # what a read of a lost write gives
STAT = ("st_atime", "st_ctime", "st_gid", "st_mode", "st_mtime", "st_nlink", "st_size", "st_uid", "st_blocks")
# Calls passed through as they are: (path, arguments...).
PASS = {
    "open": os.open, "mkdir": os.mkdir, "rmdir": os.rmdir, "chmod": os.chmod, "chown": os.chown,
    "utimens": os.utime, "unlink": os.unlink,
    "getattr": lambda path, fh=None: {k: getattr(os.lstat(path), k) for k in STAT},
    "readdir": lambda path, fh: [".", ".."] + os.listdir(path),
    "create": lambda path, mode, fi=None: os.open(path, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, mode),
    "truncate": lambda path, length, fh=None: os.truncate(path if fh is None else fh, length),
    "fsync": lambda path, datasync, fh: os.fsync(fh),
    "flush": lambda path, fh: 0,
    "release": lambda path, fh: os.close(fh),
    "access": lambda path, mode: None if os.access(path, mode) else _fail(errno.EACCES),
}
# The calls that a fault makes fail, and how.
REFUSED = {"fsync": ("fail-fsync", errno.EIO)}


def _fail(code):
    raise FuseOSError(code)


class FaultFS(Operations):
    def __init__(self, root, faults):
        self.root, self.faults, self.written = root, faults, 0
        self.mutex = threading.Lock()
        self.ready = time.monotonic()  # when the throttled medium takes the next write

    def reached(self, fault):
        return fault in self.faults and self.written >= int(self.faults[fault])

    def __call__(self, op, path, *args):
        try:
            if self.reached("vanish"):
                _fail(errno.EIO)
            if op in REFUSED and REFUSED[op][0] in self.faults:
                _fail(REFUSED[op][1])
            return (PASS[op] if op in PASS else getattr(self, op))(self.root + path, *args)
        except OSError as error:
            raise FuseOSError(error.errno)

    def statfs(self, path):
        sv = os.statvfs(path)
        free = sv.f_bavail * sv.f_frsize // BLOCK
        return {"f_bsize": BLOCK, "f_frsize": BLOCK, "f_blocks": sv.f_blocks * sv.f_frsize // BLOCK,
                "f_bfree": free, "f_bavail": free, "f_files": sv.f_files, "f_ffree": sv.f_ffree,
                "f_favail": sv.f_favail, "f_namemax": 255}

    def throttle(self, count, rate):  # under the mutex: the medium does one thing at a time
        if "mbps" in self.faults:
            self.ready = max(self.ready, time.monotonic()) + count / (float(self.faults["mbps"]) * rate * 1e6)
            time.sleep(max(0.0, self.ready - time.monotonic()))

    def read(self, path, size, offset, fh):
        with self.mutex:
            data = os.pread(fh, size, offset)
            self.throttle(len(data), 2)
        return data

    def write(self, path, data, offset, fh):
        with self.mutex:
            self.throttle(len(data), 1)
            if self.reached("lose-after"):
                data = (OLD * (len(data) // len(OLD) + 1))[:len(data)]
            count = os.pwrite(fh, data, offset)
            self.written += count
        return count

    def rename(self, old, new):
        os.rename(old, self.root + new)


if __name__ == "__main__":
    faults = dict((a.split("=", 1) + [None])[:2] for a in sys.argv[3:])
    # hard_remove: a file deleted while open is deleted here too, not hidden
    # by a rename that no fault would refuse.
    FUSE(FaultFS(os.path.realpath(sys.argv[1]), faults), sys.argv[2], foreground=True, nothreads=False,
         big_writes=True, max_write=131072, default_permissions=False, hard_remove=True,
         direct_io="direct-io" in faults or "lose-after" in faults)
