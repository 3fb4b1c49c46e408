#!/usr/bin/env python3
"""Bitmap files written by ImageMagick for the loader tests, each with ImageMagick's own reading
of it as raw RGB (NAME.rgb, rows top-down): the pixels the loader must draw.
usage: make-fixtures.py CONVERT OUTDIR"""
import os
import subprocess
import sys

convert, out = sys.argv[1], sys.argv[2]
os.makedirs(out, exist_ok=True)
W, H = 13, 7   # an odd width: every row carries padding


def ppm(name, colors):
    px = b''.join(bytes(colors[(x * 3 + y * 5 + x * y) % len(colors)]) for y in range(H) for x in range(W))
    path = os.path.join(out, name)
    with open(path, 'wb') as f:
        f.write(b'P6\n%d %d\n255\n' % (W, H) + px)
    return path


few = ppm('few.ppm', [(0, 0, 0), (255, 255, 255), (255, 0, 0), (0, 128, 0), (0, 0, 255), (255, 255, 0)])
many = ppm('many.ppm', [(i * 6, 255 - i * 5, (i * 37) % 256) for i in range(40)])
two = ppm('two.ppm', [(0, 0, 0), (255, 255, 255), (255, 255, 255)])
# BMP2 is the core header, BMP3 the 40-byte one, BMP the 124-byte one with bit-field masks.
files = {
    'core8': (many, 'BMP2', ['-type', 'Palette']),
    'info1': (two, 'BMP3', ['-type', 'Bilevel']),
    'info4': (few, 'BMP3', ['-type', 'Palette']),
    'info8': (many, 'BMP3', ['-type', 'Palette']),
    'info24': (many, 'BMP3', ['-type', 'TrueColor']),
    'rle8': (many, 'BMP3', ['-type', 'Palette', '-compress', 'RLE']),
    'v5_16': (many, 'BMP', ['-define', 'bmp:subtype=RGB565']),
    'v5_32': (many, 'BMP', ['-type', 'TrueColorAlpha']),
}
for name, (src, fmt, opts) in files.items():
    bmp = os.path.join(out, name + '.bmp')
    opts = opts if '-compress' in opts else opts + ['-compress', 'None']
    subprocess.run([convert, src] + opts + ['%s:%s' % (fmt, bmp)], check=True)
    subprocess.run([convert, bmp, '-alpha', 'off', '-depth', '8', 'rgb:' + os.path.join(out, name + '.rgb')], check=True)
