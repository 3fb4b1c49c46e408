#!/usr/bin/env python3
"""Bitmap files written by ImageMagick, for the loader tests, and ImageMagick's own reading of
each as raw RGB (NAME.rgb, rows top-down), the pixels the loader must draw.
usage: make-fixtures.py CONVERT OUTDIR"""
import os
import struct
import subprocess
import sys

convert, out = sys.argv[1], sys.argv[2]
os.makedirs(out, exist_ok=True)
W, H = 13, 7   # an odd width: every row carries padding


def ppm(name, colors):
    px = bytearray()
    for y in range(H):
        for x in range(W):
            px += bytes(colors[(x * 3 + y * 5 + x * y) % len(colors)])
    path = os.path.join(out, name)
    with open(path, 'wb') as f:
        f.write(b'P6\n%d %d\n255\n' % (W, H) + px)
    return path


few = ppm('few.ppm', [(0, 0, 0), (255, 255, 255), (255, 0, 0), (0, 128, 0), (0, 0, 255), (255, 255, 0),
                      (0, 255, 255), (128, 0, 128)])
many = ppm('many.ppm', [(i * 6, 255 - i * 5, (i * 37) % 256) for i in range(40)])
two = ppm('two.ppm', [(0, 0, 0), (255, 255, 255), (255, 255, 255)])

# name: source, ImageMagick format and options. BMP2 is the core header, BMP3 the 40-byte one,
# BMP the 124-byte one with bit-field masks.
files = {
    'core1': (two, 'BMP2', ['-type', 'Bilevel']),
    'core4': (few, 'BMP2', ['-type', 'Palette']),
    'core8': (many, 'BMP2', ['-type', 'Palette']),
    'core24': (many, 'BMP2', ['-type', 'TrueColor']),
    'info1': (two, 'BMP3', ['-type', 'Bilevel']),
    'info4': (few, 'BMP3', ['-type', 'Palette']),
    'info8': (many, 'BMP3', ['-type', 'Palette']),
    'info24': (many, 'BMP3', ['-type', 'TrueColor']),
    'rle8': (many, 'BMP3', ['-type', 'Palette', '-compress', 'RLE']),
    'v5_16': (many, 'BMP', ['-define', 'bmp:subtype=RGB565']),
    'v5_32': (many, 'BMP', ['-type', 'TrueColorAlpha']),
}
for name, (src, fmt, opts) in files.items():
    if '-compress' not in opts:
        opts = opts + ['-compress', 'None']
    subprocess.run([convert, src] + opts + ['%s:%s' % (fmt, os.path.join(out, name + '.bmp'))], check=True)


def rle4_from(info4):
    """ImageMagick writes no run-length 4-bit files: the same picture encoded here, in runs and
    in absolute mode, and read back by ImageMagick below like every other fixture."""
    d = open(info4, 'rb').read()
    off = struct.unpack_from('<I', d, 10)[0]
    hdr = bytearray(d[14:54])
    table = d[54:off]
    stride = (W * 4 + 31) // 32 * 4
    enc = bytearray()
    for y in range(H):
        row = d[off + y * stride:off + (y + 1) * stride]
        idx = [(row[x // 2] >> (4 if x % 2 == 0 else 0)) & 15 for x in range(W)]
        if y % 2 == 0:   # absolute mode: count, then nibbles padded to a 16-bit boundary
            nib = bytearray((idx[i] << 4) | (idx[i + 1] if i + 1 < W else 0) for i in range(0, W, 2))
            if len(nib) % 2:
                nib.append(0)
            enc += bytes([0, W]) + nib
        else:            # runs of one index
            x = 0
            while x < W:
                n = 1
                while x + n < W and idx[x + n] == idx[x] and n < 255:
                    n += 1
                enc += bytes([n, idx[x] << 4 | idx[x]])
                x += n
        enc += b'\0\0'
    enc += b'\0\1'
    struct.pack_into('<II', hdr, 16, 2, len(enc))   # BI_RLE4, image size
    body = bytes(hdr) + table + bytes(enc)
    with open(os.path.join(out, 'rle4.bmp'), 'wb') as f:
        f.write(b'BM' + struct.pack('<IHHI', 14 + len(body), 0, 0, 14 + len(hdr) + len(table)) + body)


rle4_from(os.path.join(out, 'info4.bmp'))
for name in list(files) + ['rle4']:
    bmp = os.path.join(out, name + '.bmp')
    subprocess.run([convert, bmp, '-alpha', 'off', '-depth', '8', 'rgb:' + os.path.join(out, name + '.rgb')],
                   check=True)
