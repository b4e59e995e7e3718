#!/usr/bin/python3
"""A drive that misbehaves on demand: a FUSE file system over a folder that
passes every call through, but for the fault it is given.

usage: faultfs.py FOLDER MOUNTPOINT [FAULT ...]
  fail-writes=BYTES  every write fails (EIO) once BYTES have been written
  fail-fsync         every flush to the medium fails (EIO)
  free-bias=BLOCKS   reports BLOCKS (4 KiB) more free space than there is;
                     negative: less
  refuse-delete      no file can be deleted (EACCES)
  vanish=BYTES       every call fails (EIO) once BYTES have been written
  mbps=N             writes at N MB/s, like a USB stick
"""
import errno
import os
import sys
import threading
import time

from fusepy import FUSE, FuseOSError, Operations

BLOCK = 4096


class FaultFS(Operations):
    def __init__(self, root, faults):
        self.root = root
        self.faults = faults
        self.written = 0
        self.mutex = threading.Lock()
        self.ready = time.monotonic()  # when the throttled medium takes the next write

    def _gone(self):
        limit = self.faults.get("vanish")
        return limit is not None and self.written >= int(limit)

    def __call__(self, op, path, *args):
        if self._gone():
            raise FuseOSError(errno.EIO)
        if not hasattr(self, op):
            raise FuseOSError(errno.ENOSYS)
        try:
            return getattr(self, op)(self.root + path, *args)
        except OSError as error:
            raise FuseOSError(error.errno)

    def getattr(self, path, fh=None):
        st = os.lstat(path)
        return {k: getattr(st, k) for k in ("st_atime", "st_ctime", "st_gid", "st_mode", "st_mtime",
                                             "st_nlink", "st_size", "st_uid", "st_blocks")}

    def readdir(self, path, fh):
        return [".", ".."] + os.listdir(path)

    def statfs(self, path):
        sv = os.statvfs(path)
        free = sv.f_bavail * sv.f_frsize // BLOCK + int(self.faults.get("free-bias", 0))
        free = max(free, 0)
        return {"f_bsize": BLOCK, "f_frsize": BLOCK, "f_blocks": sv.f_blocks * sv.f_frsize // BLOCK,
                "f_bfree": free, "f_bavail": free, "f_files": sv.f_files, "f_ffree": sv.f_ffree,
                "f_favail": sv.f_favail, "f_namemax": 255}

    def create(self, path, mode, fi=None):
        return os.open(path, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, mode)

    def open(self, path, flags):
        return os.open(path, flags)

    def read(self, path, size, offset, fh):
        return os.pread(fh, size, offset)

    def write(self, path, data, offset, fh):
        fail = self.faults.get("fail-writes")
        if fail is not None and self.written >= int(fail):
            raise FuseOSError(errno.EIO)
        mbps = self.faults.get("mbps")
        with self.mutex:
            if mbps is not None:
                self.ready = max(self.ready, time.monotonic()) + len(data) / (float(mbps) * 1e6)
                time.sleep(max(0.0, self.ready - time.monotonic()))
            count = os.pwrite(fh, data, offset)
            self.written += count
        return count

    def truncate(self, path, length, fh=None):
        if fh is not None:
            os.ftruncate(fh, length)
        else:
            os.truncate(path, length)

    def fsync(self, path, datasync, fh):
        if "fail-fsync" in self.faults:
            raise FuseOSError(errno.EIO)
        os.fsync(fh)

    def flush(self, path, fh):
        return 0

    def release(self, path, fh):
        os.close(fh)

    def unlink(self, path):
        if "refuse-delete" in self.faults:
            raise FuseOSError(errno.EACCES)
        os.unlink(path)

    def mkdir(self, path, mode):
        os.mkdir(path, mode)

    def rmdir(self, path):
        os.rmdir(path)

    def rename(self, old, new):
        os.rename(old, self.root + new)

    def chmod(self, path, mode):
        os.chmod(path, mode)

    def chown(self, path, uid, gid):
        os.chown(path, uid, gid)

    def utimens(self, path, times=None):
        os.utime(path, times)

    def access(self, path, mode):
        if not os.access(path, mode):
            raise FuseOSError(errno.EACCES)


def main():
    root, mountpoint = os.path.realpath(sys.argv[1]), sys.argv[2]
    faults = dict((a.split("=", 1) + [None])[:2] for a in sys.argv[3:])
    FUSE(FaultFS(root, faults), mountpoint, foreground=True, nothreads=False, big_writes=True,
         max_write=131072, default_permissions=False)


if __name__ == "__main__":
    main()
