#!/usr/bin/env python3
"""Draws Tolvane's icon and writes resources/tolvane.ico.

The icon shows a small dialog with three radio buttons, the middle one
chosen, since the program lets the user of a batch script pick one option.
The file holds two 16-colour images, 32x32 and 16x16, each stored as a
BITMAPINFOHEADER bitmap (XOR bitmap + AND mask) with the standard VGA
palette, which every Windows version can show.

Usage:
    python3 make_icon.py              # writes tolvane.ico next to this script
    python3 make_icon.py --png DIR    # also writes enlarged PNG previews to DIR

Only the standard library is used, and the output is the same byte for byte
on every run.
"""

import argparse
import os
import struct
import sys
import zlib

# Standard 16-colour VGA palette, in the order Windows uses for 4-bit images.
PALETTE = [
    (0x00, 0x00, 0x00),  # 0 black
    (0x80, 0x00, 0x00),  # 1 maroon
    (0x00, 0x80, 0x00),  # 2 green
    (0x80, 0x80, 0x00),  # 3 olive
    (0x00, 0x00, 0x80),  # 4 navy
    (0x80, 0x00, 0x80),  # 5 purple
    (0x00, 0x80, 0x80),  # 6 teal
    (0xC0, 0xC0, 0xC0),  # 7 silver
    (0x80, 0x80, 0x80),  # 8 grey
    (0xFF, 0x00, 0x00),  # 9 red
    (0x00, 0xFF, 0x00),  # 10 lime
    (0xFF, 0xFF, 0x00),  # 11 yellow
    (0x00, 0x00, 0xFF),  # 12 blue
    (0xFF, 0x00, 0xFF),  # 13 fuchsia
    (0x00, 0xFF, 0xFF),  # 14 aqua
    (0xFF, 0xFF, 0xFF),  # 15 white
]

# One character per pixel in the drawings below; "." is transparent.
KEYS = {
    "k": 0,   # black: frame, shadowed edges, chosen option's text
    "n": 4,   # navy: title bar
    "s": 7,   # silver: dialog face
    "g": 8,   # grey: soft edges and shadows, the other options' text
    "b": 12,  # blue: the dot of the chosen option
    "w": 15,  # white: caption, raised edge, radio wells
}
TRANSPARENT = "."

# A dialog with three options; the middle one is chosen.
ICON_32 = [
    "kkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkk",
    "knnnnnnnnnnnnnnnnnnnnnnnnnnnnnnk",
    "knnwwwwwwwwwwnnnnnnnnnnnnnnnnnnk",
    "knnnnnnnnnnnnnnnnnnnnnnnnnnnnnnk",
    "kwwwwwwwwwwwwwwwwwwwwwwwwwwwwwsk",
    "kwssssssssssssssssssssssssssssgk",
    "kwssssgggsssssssssssssssssssssgk",
    "kwsssgwwwkssssssssssssssssssssgk",
    "kwssgwwwwwksssgggggggggggsssssgk",
    "kwssgwwwwwksssgggggggggggsssssgk",
    "kwssgwwwwwksssgggggggggggsssssgk",
    "kwssskwwwkssssssssssssssssssssgk",
    "kwsssskkksssssssssssssssssssssgk",
    "kwssssssssssssssssssssssssssssgk",
    "kwssssgggsssssssssssssssssssssgk",
    "kwsssgwwwkssssssssssssssssssssgk",
    "kwssgwbbbwkssskkkkkkkkkkkkkkssgk",
    "kwssgwbbbwkssskkkkkkkkkkkkkkssgk",
    "kwssgwbbbwkssskkkkkkkkkkkkkkssgk",
    "kwssskwwwkssssssssssssssssssssgk",
    "kwsssskkksssssssssssssssssssssgk",
    "kwssssssssssssssssssssssssssssgk",
    "kwssssgggsssssssssssssssssssssgk",
    "kwsssgwwwkssssssssssssssssssssgk",
    "kwssgwwwwwksssggggggggssssssssgk",
    "kwssgwwwwwksssggggggggssssssssgk",
    "kwssgwwwwwksssggggggggssssssssgk",
    "kwssskwwwkssssssssssssssssssssgk",
    "kwsssskkksssssssssssssssssssssgk",
    "kwssssssssssssssssssssssssssssgk",
    "ksgggggggggggggggggggggggggggggk",
    "kkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkk",
]

# The same at 16x16: no caption or raised edge; grey corners round off the
# 3x3 wells.
ICON_16 = [
    "kkkkkkkkkkkkkkkk",
    "knnnnnnnnnnnnnnk",
    "knnnnnnnnnnnnnnk",
    "kssssssssssssssk",
    "ksgkgssssssssssk",
    "kskwksgggggggssk",
    "ksgkgssssssssssk",
    "kssssssssssssssk",
    "ksgkgssssssssssk",
    "kskbkskkkkkkkksk",
    "ksgkgssssssssssk",
    "kssssssssssssssk",
    "ksgkgssssssssssk",
    "kskwksggggggsssk",
    "ksgkgssssssssssk",
    "kkkkkkkkkkkkkkkk",
]


def check(img):
    """Catches typing slips in the drawings before they reach the file."""
    size = len(img)
    for row in img:
        if len(row) != size:
            raise ValueError("drawing is not square: %r" % row)
        for ch in row:
            if ch != TRANSPARENT and ch not in KEYS:
                raise ValueError("unknown colour key %r" % ch)


def indices(img):
    """Palette index of every pixel (0 where transparent) and the mask."""
    pix = [[0 if ch == TRANSPARENT else KEYS[ch] for ch in row] for row in img]
    mask = [[1 if ch == TRANSPARENT else 0 for ch in row] for row in img]
    return pix, mask


def bmp_entry(img):
    """One ICO image: BITMAPINFOHEADER, palette, XOR bitmap, AND mask."""
    size = len(img)
    pix, mask = indices(img)
    xor_stride = ((size * 4 + 31) // 32) * 4
    and_stride = ((size + 31) // 32) * 4
    xor = bytearray()
    andm = bytearray()
    for y in range(size - 1, -1, -1):  # bitmaps are stored bottom-up
        row = bytearray()
        for x in range(0, size, 2):
            row.append((pix[y][x] << 4) | pix[y][x + 1])
        row += b"\0" * (xor_stride - len(row))
        xor += row
        bits = bytearray(and_stride)
        for x in range(size):
            if mask[y][x]:
                bits[x // 8] |= 0x80 >> (x % 8)
        andm += bits
    header = struct.pack(
        "<IiiHHIIiiII",
        40,                    # biSize
        size, size * 2,        # XOR and AND bitmaps stacked
        1, 4,                  # planes, bits per pixel
        0,                     # BI_RGB
        len(xor) + len(andm),  # biSizeImage
        0, 0,                  # resolution, unused
        16, 0)                 # colours used, important
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    return header + palette + bytes(xor) + bytes(andm)


def ico_bytes(images):
    entries = [bmp_entry(img) for img in images]
    out = bytearray(struct.pack("<HHH", 0, 1, len(entries)))
    offset = 6 + 16 * len(entries)
    for img, data in zip(images, entries):
        size = len(img)
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(data),
                           offset)
        offset += len(data)
    for data in entries:
        out += data
    return bytes(out)


def png_bytes(img, scale):
    """An enlarged RGB preview; transparency shows as a checkerboard."""
    size = len(img)
    raw = bytearray()
    for y in range(size * scale):
        raw.append(0)  # filter: none
        for x in range(size * scale):
            ch = img[y // scale][x // scale]
            if ch == TRANSPARENT:
                light = ((x // 4) + (y // 4)) % 2
                rgb = (0xEE, 0xEE, 0xEE) if light else (0xCC, 0xCC, 0xCC)
            else:
                rgb = PALETTE[KEYS[ch]]
            raw += bytes(rgb)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(
            ">I", zlib.crc32(body) & 0xFFFFFFFF)

    side = size * scale
    ihdr = struct.pack(">IIBBBBB", side, side, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr)
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + chunk(b"IEND", b""))


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--png", metavar="DIR",
                        help="also write enlarged PNG previews to DIR")
    parser.add_argument("--out", metavar="FILE",
                        default=os.path.join(os.path.dirname(
                            os.path.abspath(__file__)), "tolvane.ico"),
                        help="where to write the icon")
    args = parser.parse_args(argv)

    images = [ICON_32, ICON_16]
    for img in images:
        check(img)
    with open(args.out, "wb") as f:
        f.write(ico_bytes(images))
    if args.png:
        os.makedirs(args.png, exist_ok=True)
        for img in images:
            size = len(img)
            path = os.path.join(args.png, "tolvane_%d.png" % size)
            with open(path, "wb") as f:
                f.write(png_bytes(img, 256 // size))
            path = os.path.join(args.png, "tolvane_%d_1x.png" % size)
            with open(path, "wb") as f:
                f.write(png_bytes(img, 1))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
