#!/usr/bin/env python3
"""Draws the two program icons: a diskette with a green tick over its
label: clean sectors. Writes resources/icon100.ico (16 colours) and
resources/icon116.ico (256 colours), each with images of 32, 48 and 64
pixels: Windows takes the one that fits the screen's scale (32 at 100 %, 48
at 150 %, 64 at 200 %). Run it again after a change."""
import os
import struct

SIZE = 32

# Colours by role; the 16-colour icon uses the standard VGA palette.
VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
       (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
       (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def draw():
    """Returns rows of RGB tuples, or None for transparent, top row first."""
    img = [[None] * SIZE for _ in range(SIZE)]

    def rect(x0, y0, x1, y1, colour):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                img[y][x] = colour

    body, edge, shutter, label = (0, 0, 128), (0, 0, 0), (192, 192, 192), (255, 255, 255)
    rect(3, 3, 28, 28, edge)           # outline
    rect(4, 4, 27, 27, body)           # diskette body
    img[4][27] = None; img[3][28] = None; img[3][27] = None; img[4][28] = None  # cut corner
    rect(9, 4, 22, 11, shutter)        # metal shutter
    rect(17, 5, 20, 10, (128, 128, 128))  # shutter window
    rect(7, 16, 24, 27, label)         # label
    for y in (19, 22, 25):
        rect(9, y, 22, y, (128, 128, 128))  # lines on the label
    # A thick green tick over the label: the sectors are clean.
    tick = [(10, 20), (11, 21), (12, 22), (13, 23), (14, 24), (15, 23), (16, 22), (17, 21), (18, 20), (19, 19),
            (20, 18), (21, 17), (22, 16), (23, 15), (24, 14), (25, 13)]
    for x, y in tick:
        for dy in range(-1, 2):
            img[y + dy][x] = (0, 160, 0)
    for x, y in ((26, 15), (27, 14), (28, 15), (27, 16), (27, 13), (5, 13), (6, 14), (6, 12), (7, 13)):
        img[y][x] = (255, 255, 0)      # sparkles
    return img


def scaled(img, size):
    """The 32-pixel picture at size, each pixel taken from the one it covers."""
    return [[img[y * SIZE // size][x * SIZE // size] for x in range(size)] for y in range(size)]


def nearest(colour, palette):
    return min(range(len(palette)), key=lambda i: sum((a - b) ** 2 for a, b in zip(colour, palette[i])))


def icon_image(img, bits):
    size = len(img)
    colours = 1 << bits
    if bits == 4:
        palette = VGA
    else:
        palette = []
        for row in img:
            for c in row:
                if c is not None and c not in palette:
                    palette.append(c)
        palette += [(0, 0, 0)] * (colours - len(palette))
    row_bytes = size * bits // 8
    mask_bytes = (size + 31) // 32 * 4  # a mask row is padded to 4 bytes
    xor = bytearray()
    mask = bytearray()
    for row in reversed(img):  # bottom-up
        indices = [0 if c is None else nearest(c, palette) for c in row]
        if bits == 4:
            xor += bytes((indices[i] << 4) | indices[i + 1] for i in range(0, size, 2))
        else:
            xor += bytes(indices)
        m = 0
        for c in row:
            m = (m << 1) | (1 if c is None else 0)
        mask += (m << (mask_bytes * 8 - size)).to_bytes(mask_bytes, 'big')
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, bits, 0, len(xor) + len(mask), 0, 0, 0, 0)
    pal = b''.join(struct.pack('BBBB', b, g, r, 0) for (r, g, b) in palette)
    assert len(xor) == row_bytes * size
    return header + pal + bytes(xor) + bytes(mask)


def write_ico(path, images, bits):
    count = 16 if bits == 4 else 0
    directory = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for image in images:
        size = struct.unpack_from('<i', image, 4)[0]
        directory += struct.pack('<BBBBHHII', size, size, count, 0, 1, bits, len(image), offset)
        offset += len(image)
    with open(path, 'wb') as f:
        f.write(directory + b''.join(images))


def main():
    here = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'resources')
    img = draw()
    small = [icon_image(scaled(img, size), 4) for size in (32, 48, 64)]
    large = [icon_image(scaled(img, size), 8) for size in (32, 48, 64)]
    assert len(small[0]) == 744 and len(large[0]) == 2216, (len(small[0]), len(large[0]))
    write_ico(os.path.join(here, 'icon100.ico'), small, 4)
    write_ico(os.path.join(here, 'icon116.ico'), large, 8)


if __name__ == '__main__':
    main()
