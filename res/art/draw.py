#!/usr/bin/env python3
"""Draws the program's icon (32x32 and 16x16, 16 colours) and the picture of
the main dialog (122x88, 24-bit) and writes them as PNG files into res/.
Pure Python: a tiny rasteriser and a PNG writer, no image library needed."""
import math, os, struct, zlib

HERE = os.path.dirname(os.path.abspath(__file__))
RES = os.path.dirname(HERE)

def png(path, w, h, pixels):
    raw = b''.join(b'\x00' + bytes(c for px in pixels[y*w:(y+1)*w] for c in px) for y in range(h))
    def chunk(t, d):
        c = struct.pack('>I', len(d)) + t + d
        return c + struct.pack('>I', zlib.crc32(t + d) & 0xffffffff)
    rgba = len(pixels[0]) == 4
    hdr = struct.pack('>IIBBBBB', w, h, 8, 6 if rgba else 2, 0, 0, 0)
    with open(path, 'wb') as f:
        f.write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', hdr) + chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))

class Canvas:
    def __init__(self, w, h, bg):
        self.w, self.h = w, h
        self.px = [bg] * (w * h)
    def put(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y * self.w + x] = c
    def rect(self, x0, y0, x1, y1, c):
        for y in range(y0, y1):
            for x in range(x0, x1):
                self.put(x, y, c)
    def round_rect(self, x0, y0, x1, y1, r, c):
        for y in range(y0, y1):
            for x in range(x0, x1):
                cx = min(max(x, x0 + r), x1 - 1 - r)
                cy = min(max(y, y0 + r), y1 - 1 - r)
                if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                    self.put(x, y, c)
    def ellipse(self, cx, cy, rx, ry, c, angle=0.0):
        ca, sa = math.cos(angle), math.sin(angle)
        for y in range(int(cy - rx - ry - 1), int(cy + rx + ry + 2)):
            for x in range(int(cx - rx - ry - 1), int(cx + rx + ry + 2)):
                dx, dy = x + 0.5 - cx, y + 0.5 - cy
                u, v = dx * ca + dy * sa, -dx * sa + dy * ca
                if (u / rx) ** 2 + (v / ry) ** 2 <= 1:
                    self.put(x, y, c)

def note(c, x, y, s, col):
    """An eighth note: head at (x, y), stem up, flag to the right; s = scale."""
    c.ellipse(x, y, 2.2 * s, 1.5 * s, col, -0.4)
    c.rect(int(x + 1.6 * s), int(y - 8 * s), int(x + 1.6 * s) + max(1, int(0.8 * s)), int(y), col)
    for i in range(int(3 * s)):
        c.rect(int(x + 1.6 * s) + i // 2, int(y - 8 * s) + i, int(x + 1.6 * s) + i // 2 + max(1, int(s)), int(y - 8 * s) + i + 1, col)

def icon(size, c=None):
    """Draws the icon at size x size pixels on c (a new transparent Canvas when
    None); c may be any surface with Canvas's drawing calls."""
    # 16-colour palette: transparent, black, dark grey, grey, light grey, white,
    # navy, blue, sky, teal, green, yellow, orange, red, purple, pink.
    T = (0, 0, 0, 0); K = (0, 0, 0, 255); D = (64, 64, 64, 255); G = (128, 128, 128, 255)
    L = (192, 192, 192, 255); W = (255, 255, 255, 255); N = (0, 0, 128, 255); B = (0, 0, 255, 255)
    S = (0, 160, 255, 255); O = (255, 160, 0, 255); Y = (255, 255, 0, 255)
    if c is None:
        c = Canvas(size, size, T)
    k = size / 32
    # The handset: a rounded body with a screen and keys.
    c.round_rect(int(6 * k), int(2 * k), int(22 * k), int(30 * k), max(1, int(3 * k)), K)
    c.round_rect(int(7 * k), int(3 * k), int(21 * k), int(29 * k), max(1, int(2 * k)), N)
    c.rect(int(9 * k), int(6 * k), int(19 * k), int(15 * k), S)
    for r in range(3):
        for q in range(3):
            x = int((9 + q * 3.5) * k); y = int((18 + r * 3.3) * k)
            c.rect(x, y, x + max(1, int(2 * k)), y + max(1, int(2 * k)), L)
    # The music note leaving the handset.
    note(c, 24 * k, 24 * k, 1.3 * k, O if size >= 32 else Y)
    note(c, 12 * k, 12 * k, 0.8 * k, W)
    return c

def picture():
    w, h = 122, 88
    c = Canvas(w, h, (0, 0, 0))
    for y in range(h):              # evening sky gradient
        t = y / (h - 1)
        col = (int(30 + 60 * t), int(40 + 90 * t), int(110 + 110 * t))
        c.rect(0, y, w, y + 1, col)
    for i in range(w):              # a sound wave across the picture
        y = 66 + 7 * math.sin(i / 7.0) * math.cos(i / 23.0)
        c.rect(i, int(y), i + 1, int(y) + 2, (120, 230, 255))
    # The handset, standing on the left.
    c.round_rect(14, 14, 46, 80, 6, (20, 20, 30))
    c.round_rect(16, 16, 44, 78, 5, (60, 70, 100))
    c.rect(19, 22, 41, 42, (150, 220, 255))
    c.rect(21, 26, 39, 28, (40, 60, 120))
    c.rect(21, 31, 35, 33, (40, 60, 120))
    c.rect(21, 36, 31, 38, (40, 60, 120))
    for r in range(4):
        for q in range(3):
            c.round_rect(20 + q * 7, 47 + r * 7, 25 + q * 7, 51 + r * 7, 1, (200, 205, 215))
    # Notes rising to the right.
    note(c, 62, 40, 2.0, (255, 200, 60))
    note(c, 80, 28, 2.4, (255, 120, 90))
    note(c, 100, 44, 1.8, (170, 255, 140))
    note(c, 108, 18, 1.4, (255, 255, 255))
    return c

if __name__ == '__main__':
    for size in (32, 16):
        ic = icon(size)
        png(os.path.join(RES, 'icon128-%d.png' % size), size, size, ic.px)
    pic = picture()
    png(os.path.join(RES, 'bitmap129.png'), pic.w, pic.h, pic.px)
