#!/usr/bin/env python3
"""Writes the Windows forms of the program's images from the PNG files that
draw.py makes: res/win/icon128.ico (32x32 and 16x16, 32-bit with an AND mask)
and res/win/bitmap129.bmp (24-bit), which the resource compiler embeds in
mrvmaker.exe. Pure Python: reads the PNG files it wrote itself."""
import os, struct, zlib

HERE = os.path.dirname(os.path.abspath(__file__))
RES = os.path.dirname(HERE)


def read_png(path):
    """Pixels of an 8-bit RGB or RGBA PNG as rows of (r, g, b, a)."""
    data = open(path, 'rb').read()
    assert data[:8] == b'\x89PNG\r\n\x1a\n', path
    pos, idat = 8, b''
    while pos < len(data):
        length, kind = struct.unpack('>I4s', data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b'IHDR':
            w, h, depth, colour, _, _, interlace = struct.unpack('>IIBBBBB', body)
            assert depth == 8 and colour in (2, 6) and interlace == 0, path
        elif kind == b'IDAT':
            idat += body
        pos += 12 + length
    bpp = 4 if colour == 6 else 3
    raw = zlib.decompress(idat)
    stride = w * bpp
    rows, prev = [], bytes(stride)
    for y in range(h):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b = prev[i]
            c = prev[i - bpp] if i >= bpp else 0
            if kind == 1: line[i] = (line[i] + a) & 0xFF
            elif kind == 2: line[i] = (line[i] + b) & 0xFF
            elif kind == 3: line[i] = (line[i] + (a + b) // 2) & 0xFF
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 0xFF
        prev = bytes(line)
        rows.append([tuple(line[x * bpp:x * bpp + bpp]) + ((255,) if bpp == 3 else ()) for x in range(w)])
    return w, h, rows


def icon_image(w, h, rows):
    """One icon image: BITMAPINFOHEADER (double height), BGRA bottom-up, AND mask."""
    header = struct.pack('<IiiHHIIiiII', 40, w, h * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b''.join(bytes((r[2], r[1], r[0], r[3])) for row in reversed(rows) for r in row)
    mask_stride = ((w + 31) // 32) * 4
    mask = b''
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, px in enumerate(row):
            if px[3] < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    return header + colour + mask


def write_ico(path, pngs):
    images = [(w, h, icon_image(w, h, rows)) for w, h, rows in (read_png(p) for p in pngs)]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for w, h, body in images:
        out += struct.pack('<BBBBHHII', w % 256, h % 256, 0, 0, 1, 32, len(body), offset)
        offset += len(body)
    out += b''.join(body for _, _, body in images)
    open(path, 'wb').write(out)


def write_bmp(path, png):
    w, h, rows = read_png(png)
    stride = (w * 3 + 3) & ~3
    pixels = b''.join(bytes(c for px in row for c in (px[2], px[1], px[0])).ljust(stride, b'\0') for row in reversed(rows))
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    open(path, 'wb').write(header + info + pixels)


if __name__ == '__main__':
    os.makedirs(os.path.join(RES, 'win'), exist_ok=True)
    write_ico(os.path.join(RES, 'win', 'icon128.ico'),
              [os.path.join(RES, 'icon128-32.png'), os.path.join(RES, 'icon128-16.png')])
    write_bmp(os.path.join(RES, 'win', 'bitmap129.bmp'), os.path.join(RES, 'bitmap129.png'))
