#!/usr/bin/env python3
"""Draws the program's icon, in draw.py's design, for the packages and writes
it into packaging/icons/ (or the folder given as the only argument):

  mrvmaker-16.png ... mrvmaker-256.png  the desktop's icon theme sizes
  mrvmaker.svg                          the same drawing as shapes
  mrvmaker.ico                          16, 32, 48 and 256 pixels, for Windows

16 and 32 pixels are the program's own icon, pixel for pixel. The larger sizes
are drawn four times as large and averaged down, so that curves and slopes
come out smooth. The SVG records draw.py's drawing calls at 256 pixels.
Pure Python, like draw.py."""
import math, os, struct, sys

import draw

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
THEME_SIZES = (16, 32, 48, 64, 128, 256)
ICO_SIZES = (16, 32, 48, 256)
SMOOTH = 4   # drawn this many times as large, then averaged down


def raster(size):
    """The icon as size x size RGBA pixels."""
    if size <= 32:
        return draw.icon(size).px
    big = draw.icon(size * SMOOTH)
    n, out = SMOOTH * SMOOTH, []
    for y in range(size):
        for x in range(size):
            r = g = b = a = 0
            for dy in range(SMOOTH):
                row = (y * SMOOTH + dy) * big.w + x * SMOOTH
                for pr, pg, pb, pa in big.px[row:row + SMOOTH]:
                    r += pr * pa; g += pg * pa; b += pb * pa; a += pa
            # Colours weighted by coverage, so that edges do not darken.
            out.append((r // a, g // a, b // a, (a + n // 2) // n) if a else (0, 0, 0, 0))
    return out


class SvgCanvas:
    """draw.Canvas's drawing calls, written down as SVG shapes. Neighbouring
    rectangles of one colour become one path, so no seams show between them."""

    def __init__(self, size):
        self.size = size
        self.shapes = []      # (colour, kind, svg text)

    @staticmethod
    def colour(c):
        return '#%02x%02x%02x' % c[:3]

    def rect(self, x0, y0, x1, y1, c):
        if x1 > x0 and y1 > y0:
            self.shapes.append((c, 'rect', 'M%d %dh%dv%dh%dz' % (x0, y0, x1 - x0, y1 - y0, x0 - x1)))

    def round_rect(self, x0, y0, x1, y1, r, c):
        # The raster fills the pixels whose corner lies within r of the inner
        # rectangle: seen from pixel centres, a corner radius of r + 1/2.
        self.shapes.append((c, 'other', '<rect x="%d" y="%d" width="%d" height="%d" rx="%g" fill="%s"/>'
                            % (x0, y0, x1 - x0, y1 - y0, r + 0.5, self.colour(c))))

    def ellipse(self, cx, cy, rx, ry, c, angle=0.0):
        self.shapes.append((c, 'other', '<ellipse cx="%g" cy="%g" rx="%g" ry="%g" transform="rotate(%g %g %g)" fill="%s"/>'
                            % (cx, cy, rx, ry, round(math.degrees(angle), 3), cx, cy, self.colour(c))))

    def text(self):
        out, run, run_colour = [], [], None

        def flush():
            if run:
                out.append('<path d="%s" fill="%s"/>' % (''.join(run), self.colour(run_colour)))
                run.clear()

        for c, kind, body in self.shapes:
            if kind != 'rect' or c != run_colour:
                flush()
            if kind == 'rect':
                run.append(body)
                run_colour = c
            else:
                out.append(body)
                run_colour = None
        flush()
        return ('<?xml version="1.0" encoding="UTF-8"?>\n'
                '<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d">\n  %s\n</svg>\n'
                % (self.size, self.size, self.size, self.size, '\n  '.join(out)))


def png_bytes(path):
    with open(path, 'rb') as f:
        return f.read()


def ico_bitmap(size, pixels):
    """One icon image as a DIB: the header says twice the height (colour and
    mask), the BGRA rows run bottom-up, then the AND mask (1 = transparent)
    in rows padded to 32 bits."""
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = [pixels[y * size:(y + 1) * size] for y in reversed(range(size))]
    colour = b''.join(bytes((b, g, r, a)) for row in rows for r, g, b, a in row)
    stride = (size + 31) // 32 * 4
    mask = b''
    for row in rows:
        bits = bytearray(stride)
        for x, px in enumerate(row):
            if px[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    return header + colour + mask


def ico(images):
    """An .ico file of (size, image bytes): 256 pixels as PNG, as Windows
    Vista and later read it, smaller sizes as DIBs, as every Windows does."""
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b''.join(data for _, data in images)


def main(out_dir):
    os.makedirs(out_dir, exist_ok=True)
    pixels = {}
    for size in THEME_SIZES:
        pixels[size] = raster(size)
        draw.png(os.path.join(out_dir, 'mrvmaker-%d.png' % size), size, size, pixels[size])
    svg = SvgCanvas(256)
    draw.icon(256, svg)
    with open(os.path.join(out_dir, 'mrvmaker.svg'), 'w', encoding='utf-8') as f:
        f.write(svg.text())
    images = []
    for size in ICO_SIZES:
        if size == 256:
            images.append((size, png_bytes(os.path.join(out_dir, 'mrvmaker-256.png'))))
        else:
            images.append((size, ico_bitmap(size, pixels[size])))
    with open(os.path.join(out_dir, 'mrvmaker.ico'), 'wb') as f:
        f.write(ico(images))


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, 'packaging', 'icons'))
