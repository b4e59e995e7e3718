#!/usr/bin/env python3
"""Sticks of many shapes, made from a seed, and what a wipe must leave of them.

usage: sticks.py make SEED FS IMAGE      the empty file system in IMAGE
       sticks.py plant SEED FS DIR STATE create|delete
                                         the tree: every file made, or the doomed deleted
       sticks.py check STATE IMAGE       what is left of the deleted files in IMAGE
       sticks.py kept STATE DIR          the kept files, byte for byte, on the mounted drive

FS is exfat, exfat-kernel (the same sticks, for the Linux kernel's own
driver), fat32, fat12, ntfs, ext2-1k or ext2-4k. The same seed and FS give the
same stick. SEED may also name a stick of a shape of its own, its words
joined by commas: root-runs (the root's first free runs are those of deleted
names of 30 and 45 characters, between kept files), full (no free byte, a root
with no free entry, names deleted in a folder), kept (the user's files: a note,
files of zeros named as fill files are), small=N (N small files deleted in the
root: on NTFS they live in the file table), many=N (N names deleted in a
folder), hundreds (600 names in a folder, every third deleted and the first and
last 20: several index blocks of NTFS), mib=N (its size). Deleted data carries
"TNETD" every 24 bytes, deleted names "Qz" and a number (no other name holds a
"Q"); a kept file named with a "_" first holds zeros. The tree is planted
through the mounted driver. check prints one line per finding, then "clean" or the
count of faults.
"""
import hashlib
import json
import os
import random
import re
import subprocess
import sys
import zlib

SCRIPTS = {
    'latin': 'abcdefghijklmnoprstuvwxyz0123456789 -_',
    'greek': 'αβγδεζηθικλμνξοπρστυφχψωΣΦΨΩ',
    'cyrillic': 'абвгдежзийклмнопрстуфхцчшщыэюяЖЯ',
    'cjk': '日本語中文字写真資料文書東京会議記録',
    'arabic': 'ابتثجحخدذرزسشصضطظعغفقكلمنهوي',
    'emoji': '📷🎵📁🔒🌍',  # outside the BMP: two UTF-16 units each
}
DATA_MARK = b'TNETD'


def units(text):
    return len(text.encode('utf-16-le')) // 2


def name_fits(fs, name):
    return len(name.encode('utf-8')) <= 255 if fs.startswith('ext2') else units(name) <= 255


class Recipe:
    """The stick of one seed: the file system's shape and a tree made in order."""

    def __init__(self, seed, fs):
        family = 'exfat' if fs.startswith('exfat') else fs  # the same stick on either driver
        r = random.Random('%s/%s' % (seed, family))
        self.seed, self.fs, self.full = seed, fs, False
        if not isinstance(seed, int):
            self.shaped(r, family)
            return
        if fs == 'fat12':
            self.kib, self.cluster = r.choice([720, 1440, 1440, 2880]), 512
        elif fs == 'fat32':
            self.cluster = r.choice([512, 512, 1024])
            self.kib = (66000 * self.cluster + r.randrange(0, 8 << 20)) // 1024
        elif family == 'exfat':
            self.cluster = r.choice([4096, 4096, 8192, 16384, 32768])
            self.kib = r.randrange(16, 49) * 1024
        elif fs == 'ntfs':
            self.cluster = r.choice([512, 1024, 2048, 4096, 4096])
            self.kib = r.randrange(16, 49) * 1024
        else:
            self.cluster = 1024 if fs == 'ext2-1k' else 4096
            self.kib = r.randrange(16, 49) * 1024
        self.r, self.pools = r, list(SCRIPTS)
        budget = self.kib * 1024 * 2 // 5  # what the tree may hold in all
        self.folders, self.files, self.count = [''], [], 0
        depth = r.choice([0, 1, 2, 3, 3])
        for _ in range(r.randrange(1, 7)):
            parents = [f for f in self.folders if f.count('/') < depth] or ['']
            parent = r.choice(parents)
            name = self.name(r.choice([8, 20, 43, 90, 255]), False)
            path = parent + name + '/'
            if path not in self.folders and len(path) < 900:
                self.folders.append(path)
        # A folder deleted whole, with everything in it: its entry, its own
        # clusters and its files' data go to the free space. Its name, and
        # those of the folders in it, carry the marker.
        self.gone = None
        if len(self.folders) > 1 and r.random() < 0.4:
            old = r.choice(self.folders[1:])
            parent = old[:-1].rsplit('/', 1)
            self.gone = (parent[0] + '/' if len(parent) == 2 else '') + self.name(30, True) + '/'
            self.folders = [self.gone + f[len(old):] if f.startswith(old) else f for f in self.folders]
        used = 0
        for _ in range(r.randrange(20, 110)):
            folder = r.choice(self.folders)
            kept = r.random() < 0.4 and not (self.gone and folder.startswith(self.gone))
            size = self.size()
            if used + size > budget:
                continue
            used += size
            name = self.name(r.choice([3, 6, 12, 24, 40, 80, 255]), not kept)
            if any(f[0] == folder + name for f in self.files):
                continue
            self.files.append((folder + name, size, kept))

    def shaped(self, r, family):
        """A stick of a shape named by its seed, with names of exact lengths."""
        words = dict(w.partition('=')[::2] for w in self.seed.split(','))
        self.kib, self.cluster = {'fat32': (36000, 512), 'fat12': (1440, 512)}.get(family, (32 << 10, 4096))
        self.kib = int(words.get('mib', 0)) << 10 or self.kib
        self.r, self.pools, self.count, self.gone = r, ['latin'], 0, None
        self.folders, self.files, self.full = [''], [], 'full' in words
        if 'root-runs' in words:
            self.files = [('keep1.txt', 100, True), (self.exact(30), 200 << 10, False), ('keep2.txt', 100, True),
                          (self.exact(45), 300 << 10, False), ('keep3.txt', 100, True)]
        if self.full:
            self.folders.append('sub/')
            self.files += [('sub/' + self.exact(n, kept), size, kept) for n, size, kept in
                           ((30, 64 << 10, False), (12, 4096, True), (45, 128 << 10, False), (80, 0, False),
                            (20, 100, True))]
        if 'kept' in words:
            self.folders.append('kept/')
            self.files += [(p, size, True) for p, size in (('notes.txt', 9), ('_USER.TXT', 5), ('_OLD.TXT', 0),
                           ('kept/_OLD.TXT', 0), ('_BACKUP.DAT', 128 << 10), ('_1.BIN', 4096), ('kept/_1.BIN', 4096))]
        self.files += [('Qz%d small.txt' % self.mark(), 100, False) for _ in range(int(words.get('small', 0)))]
        if 'many' in words:
            self.folders.append('many/')
            self.files += [('many/Qz%d many.txt' % self.mark(), 0, False) for _ in range(int(words['many']))]
            self.files.append(('many/zz.txt', 0, True))
        if 'hundreds' in words:
            self.folders.append('hundreds/')
            for i in range(1, 601):
                doomed = i % 3 == 0 or i <= 20 or i > 580
                self.files.append(('hundreds/%05d %s.txt' % (i, 'Qz%d' % self.mark() if doomed else 'kept'), 0,
                                   not doomed))
        if not words.keys() & {'root-runs', 'full'}:  # deleted data beside
            self.files.append((self.exact(12), 3 << 20, False))

    def mark(self):
        self.count += 1
        return self.count

    def exact(self, units, kept=False):
        """A name of exactly so many characters."""
        mark = '' if kept else 'Qz%d' % self.mark()
        return mark + ''.join(self.r.choice('abcdefghijklmnopqrstuvwxyz') for _ in range(units - len(mark)))

    def name(self, most, doomed):
        r = self.r
        pool = SCRIPTS[r.choice(self.pools)] + SCRIPTS['latin']
        length = r.randrange(1, most + 1)
        text = ''.join(r.choice(pool) for _ in range(length)).strip(' .') or 'x'
        if doomed:
            self.count += 1
            mark = 'Qz%d' % self.count
            at = r.randrange(0, len(text) + 1)
            text = text[:at] + mark + text[at:]
        while not name_fits(self.fs, text):
            text = text[1:] if not doomed or not text.startswith('Qz') else text[:-1]
        return text

    def size(self):
        r, c = self.r, self.cluster
        kind = r.choice(['empty', 'few', 'few', 'record', 'record', 'record', 'cluster', 'many', 'many'])
        return {'empty': 0, 'few': r.randrange(8, 60), 'record': r.randrange(100, 701),
                'cluster': c, 'many': c * r.randrange(2, max(3, (256 << 10) // c))}[kind]


def content(path, size, kept, seed):
    if kept and os.path.basename(path).startswith('_'):
        unit = b'\0'
    elif kept:
        unit = hashlib.sha256(('%s/%s' % (seed, path)).encode()).hexdigest().encode()
    else:
        unit = b'%s %08x deleted data\n' % (DATA_MARK, zlib.crc32(path.encode()))  # 24 bytes
    return (unit * (size // len(unit) + 1))[:size]


def make(recipe, image):
    fs, kib, c = recipe.fs, recipe.kib, recipe.cluster
    with open(image, 'wb') as f:
        f.truncate(kib * 1024)
    quiet = dict(stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    if fs == 'fat12':
        os.remove(image)
        subprocess.run(['mkfs.fat', '-C', '-F', '12', image, str(kib)], **quiet)
    elif fs == 'fat32':
        subprocess.run(['mkfs.fat', '-F', '32', '-S', '512', '-s', str(c // 512), image], **quiet)
    elif fs.startswith('exfat'):
        subprocess.run(['mkfs.exfat', '-c', str(c), image], **quiet)
    elif fs == 'ntfs':
        subprocess.run(['mkfs.ntfs', '-q', '-F', '-f', '-c', str(c), image], **quiet)
    else:
        # Folders as a Windows user's stick on this path has them (exFAT's):
        # a list, not an index by hash. An indexed folder puts a name where its
        # hash says, and one made while the drive has room (the fill's first
        # file, the folder that holds the fill files) can split a full leaf
        # into a block of the free space: the folder grows for good.
        subprocess.run(['mkfs.ext2', '-q', '-F', '-m', '0', '-O', '^dir_index', '-b', str(c), image], **quiet)


def fsync(path):
    fd = os.open(path, os.O_RDONLY)
    try:
        os.fsync(fd)
    finally:
        os.close(fd)


def plant(recipe, where, phase):
    """Through the mounted driver. Each file and folder is flushed before
    anything is deleted: through the FAT driver's VM only a flushed file's
    data reaches the image."""
    if phase == 'create':
        for folder in recipe.folders[1:]:
            os.mkdir(os.path.join(where, folder))
        for path, size, kept in recipe.files:
            with open(os.path.join(where, path), 'wb') as f:
                f.write(content(path, size, kept, recipe.seed))
                f.flush()
                os.fsync(f.fileno())
        for folder in recipe.folders:
            fsync(os.path.join(where, folder))
    else:
        for path in (p for p, s, k in recipe.files if not k):
            os.remove(os.path.join(where, path))
        if recipe.gone:
            for folder in sorted((f for f in recipe.folders if f.startswith(recipe.gone)), key=len, reverse=True):
                os.rmdir(os.path.join(where, folder))
        for folder in recipe.folders:
            if os.path.isdir(os.path.join(where, folder)):
                fsync(os.path.join(where, folder))
        if recipe.full:
            fill_up(where)
    os.sync()


def fill_up(where):
    """No free byte left (a file of the user's takes it, in the root: on exFAT a file made in a folder after
    its deletions could take part of a deleted name's run, leaving a piece that no name fits), then no free
    entry in the root: empty files until the root, which can no longer grow, takes no more."""
    with open(os.path.join(where, 'filler.bin'), 'wb', buffering=0) as f:
        for chunk in (1 << 20, 4096, 512):
            try:
                while True:
                    f.write(b'\0' * chunk)
            except OSError:
                pass
        os.fsync(f.fileno())
    for i in range(100000):
        try:
            open(os.path.join(where, 'F%07d.TXT' % i), 'wb').close()
        except OSError:
            break
    fsync(where)


def pieces(fs, name):
    """The pieces of a deleted name that one entry of its folder keeps whole, as bytes."""
    if fs.startswith('ext2'):
        return [name.encode('utf-8')] if len(name.encode('utf-8')) >= 5 else []
    u = name.encode('utf-16-le')
    if fs == 'ntfs':
        return [u] if len(u) >= 10 else []
    step = 13 if fs.startswith('fat') else 15
    out = []
    for e in range(0, len(u) // 2, step):
        spans = ((0, 5), (5, 11)) if step == 13 else ((0, 15),)
        out += [u[2 * (e + a):2 * min(e + b, len(u) // 2)] for a, b in spans]
    return [p for p in out if len(p) >= 10]  # 5 units or more


def ntfs_slack(image, offset):
    """Whether an offset of an NTFS image lies in the unused end of an index block or of a record in use.
    Both start on a sector: with clusters under 4 KiB an index block need not start on 4 KiB."""
    for size, magic in ((4096, b'INDX'), (1024, b'FILE')):
        for start in range(offset - offset % 512, max(offset - size, -1), -512):
            head = image[start:start + 64]
            if head[:4] != magic:
                continue
            if magic == b'INDX':
                used = 0x18 + int.from_bytes(head[0x1c:0x20], 'little')
                return offset - start >= used
            in_use = int.from_bytes(head[0x16:0x18], 'little') & 1
            used = int.from_bytes(head[0x18:0x1c], 'little')
            return bool(in_use) and offset - start >= used
    return False


def kept(recipe, mounted):
    faults = 0
    for path, size, keep in recipe.files:
        if not keep:
            continue
        try:
            now = open(os.path.join(mounted, path), 'rb').read()
        except OSError as e:
            now = str(e).encode()
        if now != content(path, size, True, recipe.seed):
            faults += 1
            print('a kept file changed: %s' % path)
    print('kept files: %d, %s' % (sum(1 for f in recipe.files if f[2]), 'untouched' if not faults else
                                    '%d changed' % faults))
    return faults


def check(recipe, image_path):
    image = open(image_path, 'rb').read()
    faults = 0
    data = image.count(DATA_MARK)
    if data:
        faults += 1
        print('deleted data left in the raw image: %d pieces of 24 bytes' % data)
    doomed = [p.rsplit('/', 1)[-1] for p, s, k in recipe.files if not k]
    doomed += [f[:-1].rsplit('/', 1)[-1] for f in recipe.folders if recipe.gone and f.startswith(recipe.gone)]
    left = slack = 0
    # Every place where a piece begins, in one pass over the image (a pass per piece took half a minute).
    owner = {piece: name for name in doomed for piece in pieces(recipe.fs, name)}
    finder = re.compile(b'|'.join(re.escape(p) for p in sorted(owner, key=len, reverse=True)))
    match = finder.search(image) if owner else None
    while match:
        at, piece = match.start(), match.group()
        match = finder.search(image, at + 1)  # the next, overlapping this one or not
        if recipe.fs == 'ntfs' and ntfs_slack(image, at):
            slack += 1
        else:
            left += 1
            if left <= 5:
                print('a piece of the deleted name %r at byte %d' % (owner[piece], at))
    if left:
        faults += 1
        print('pieces of deleted names left outside what the README names: %d' % left)
    if slack:
        print('pieces of deleted names in unused ends of NTFS index blocks and records: %d' % slack)
    listed = subprocess.run(['fls', '-r', '-d', '-p', image_path], capture_output=True).stdout
    listed = [line for line in listed.decode('utf-8', 'replace').splitlines()
              if 'Qz' in line or line.split('\t', 1)[-1].rsplit('/', 1)[-1] in doomed]
    if listed:
        faults += 1
        print('deleted names a recovery tool lists: %d, %s' % (len(listed), listed[:3]))
    print('clean' if faults == 0 else '%d faults' % faults)
    return faults


def main(argv):
    what = argv[1]
    if what in ('check', 'kept'):
        state = json.load(open(argv[2]))
        recipe = Recipe(state['seed'], state['fs'])
        return 1 if (check if what == 'check' else kept)(recipe, argv[3]) else 0
    recipe = Recipe(int(argv[2]) if argv[2].isdigit() else argv[2], argv[3])
    if what == 'make':
        make(recipe, argv[4])
    elif what == 'plant':
        plant(recipe, argv[4], argv[6])
        json.dump({'seed': recipe.seed, 'fs': recipe.fs}, open(argv[5], 'w'))
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
