#!/usr/bin/env python3
"""Writes Zan's kind glyphs (16x16, 24-bit BMP) and program icons (ICO, 32-bit
with alpha) from the pixel art below. Run from anywhere:
    python3 resources/make_images.py
The outputs are committed, so the build itself needs no Python."""

import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))

# Shared palette: one character per pixel. '.' is transparent in icons and
# white in glyphs (the slot button behind a glyph is white).
PALETTE = {
    '.': (255, 255, 255),
    'K': (0, 0, 0),          # outline
    'k': (64, 64, 64),       # dark grey: keys, buttons
    'g': (192, 192, 192),    # light grey: keyboard body, buttons
    'G': (128, 128, 128),    # GRAY_BRUSH grey, the disabled slot's background
    'w': (255, 255, 255),    # white inside outlines
    'R': (224, 0, 0),        # red: cross, close box
    'b': (0, 84, 227),       # blue: title bar
    'B': (40, 110, 210),     # icon background blue
    'D': (20, 60, 140),      # icon background edge
    'o': (110, 110, 110),    # remote outline
    'c': (80, 200, 255),     # remote LEDs
}

# 126: keyboard with three rows of keys and a space bar.
KIND_KEY = [
    "................",
    "................",
    "................",
    "KKKKKKKKKKKKKKKK",
    "KggggggggggggggK",
    "KgkgkgkgkgkgkggK",
    "KggggggggggggggK",
    "KggkgkgkgkgkgkgK",
    "KggggggggggggggK",
    "KgkgkgkgkgkgkggK",
    "KggggggggggggggK",
    "KgggkkkkkkkggggK",
    "KggggggggggggggK",
    "KKKKKKKKKKKKKKKK",
    "................",
    "................",
]

# 127: mouse with two buttons and a cord.
KIND_MOUSE = [
    "........K.......",
    ".......K........",
    ".......K........",
    ".....KKKKKK.....",
    "....KggkkggK....",
    "...KgggkkgggK...",
    "...KgggKKgggK...",
    "...KKKKKKKKKK...",
    "...KwwwwwwwwK...",
    "...KwwwwwwwwK...",
    "...KwwwwwwwwK...",
    "...KwwwwwwwwK...",
    "...KwwwwwwwwK...",
    "....KwwwwwwK....",
    ".....KKKKKK.....",
    "................",
]

# 128: red cross on the disabled slot's grey.
KIND_DISABLED = [
    "GGGGGGGGGGGGGGGG",
    "GGGGGGGGGGGGGGGG",
    "GGRRGGGGGGGGRRGG",
    "GGRRRGGGGGGRRRGG",
    "GGGRRRGGGGRRRGGG",
    "GGGGRRRGGRRRGGGG",
    "GGGGGRRRRRRGGGGG",
    "GGGGGGRRRRGGGGGG",
    "GGGGGGRRRRGGGGGG",
    "GGGGGRRRRRRGGGGG",
    "GGGGRRRGGRRRGGGG",
    "GGGRRRGGGGRRRGGG",
    "GGRRRGGGGGGRRRGG",
    "GGRRGGGGGGGGRRGG",
    "GGGGGGGGGGGGGGGG",
    "GGGGGGGGGGGGGGGG",
]

# 129: window with a blue title bar and a red close box.
KIND_APPLICATION = [
    "................",
    "KKKKKKKKKKKKKKKK",
    "KbbbbbbbbbRRRRRK",
    "KbbbbbbbbbRwRwRK",
    "KbbbbbbbbbRRwRRK",
    "KbbbbbbbbbRwRwRK",
    "KbbbbbbbbbRRRRRK",
    "KwwwwwwwwwwwwwwK",
    "KwwwwwwwwwwwwwwK",
    "KwwwwwwwwwwwwwwK",
    "KwwwwwwwwwwwwwwK",
    "KwwwwwwwwwwwwwwK",
    "KwwwwwwwwwwwwwwK",
    "KwwwwwwwwwwwwwwK",
    "KKKKKKKKKKKKKKKK",
    "................",
]

# Program icon: a white Wii Remote upright on a rounded blue square.
ICON_16 = [
    ".DDDDDDDDDDDDDD.",
    "DBBBBBooooBBBBBD",
    "DBBBBowwwwoBBBBD",
    "DBBBBowkkwoBBBBD",
    "DBBBBokkkkoBBBBD",
    "DBBBBowkkwoBBBBD",
    "DBBBBowwwwoBBBBD",
    "DBBBBowggwoBBBBD",
    "DBBBBowggwoBBBBD",
    "DBBBBowwwwoBBBBD",
    "DBBBBowwwwoBBBBD",
    "DBBBBowkkwoBBBBD",
    "DBBBBowwwwoBBBBD",
    "DBBBBowkkwoBBBBD",
    "DBBBBBooooBBBBBD",
    ".DDDDDDDDDDDDDD.",
]

ICON_32 = [
    "...DDDDDDDDDDDDDDDDDDDDDDDDDD...",
    "..DBBBBBBBBBBBBBBBBBBBBBBBBBBD..",
    ".DBBBBBBBBBBBBBBBBBBBBBBBBBBBBD.",
    "DBBBBBBBBBBBBooooooBBBBBBBBBBBBD",
    "DBBBBBBBBBBBowwwwwwoBBBBBBBBBBBD",
    "DBBBBBBBBBBowwwwwwwwoBBBBBBBBBBD",
    "DBBBBBBBBBBowwwkkwwwoBBBBBBBBBBD",
    "DBBBBBBBBBBowwwkkwwwoBBBBBBBBBBD",
    "DBBBBBBBBBBowkkkkkkwoBBBBBBBBBBD",
    "DBBBBBBBBBBowkkkkkkwoBBBBBBBBBBD",
    "DBBBBBBBBBBowwwkkwwwoBBBBBBBBBBD",
    "DBBBBBBBBBBowwwkkwwwoBBBBBBBBBBD",
    "DBBBBBBBBBBowwwwwwwwoBBBBBBBBBBD",
    "DBBBBBBBBBBowwwggwwwoBBBBBBBBBBD",
    "DBBBBBBBBBBowwggggwwoBBBBBBBBBBD",
    "DBBBBBBBBBBowwggggwwoBBBBBBBBBBD",
    "DBBBBBBBBBBowwwggwwwoBBBBBBBBBBD",
    "DBBBBBBBBBBowwwwwwwwoBBBBBBBBBBD",
    "DBBBBBBBBBBowkwbbwkwoBBBBBBBBBBD",
    "DBBBBBBBBBBowwwwwwwwoBBBBBBBBBBD",
    "DBBBBBBBBBBowwwwwwwwoBBBBBBBBBBD",
    "DBBBBBBBBBBowwwkkwwwoBBBBBBBBBBD",
    "DBBBBBBBBBBowwwkkwwwoBBBBBBBBBBD",
    "DBBBBBBBBBBowwwwwwwwoBBBBBBBBBBD",
    "DBBBBBBBBBBowwwkkwwwoBBBBBBBBBBD",
    "DBBBBBBBBBBowwwkkwwwoBBBBBBBBBBD",
    "DBBBBBBBBBBowwwwwwwwoBBBBBBBBBBD",
    "DBBBBBBBBBBowcwcwcwcoBBBBBBBBBBD",
    "DBBBBBBBBBBBowwwwwwoBBBBBBBBBBBD",
    ".DBBBBBBBBBBBooooooBBBBBBBBBBBD.",
    "..DBBBBBBBBBBBBBBBBBBBBBBBBBBD..",
    "...DDDDDDDDDDDDDDDDDDDDDDDDDD...",
]


def check(rows, size):
    assert len(rows) == size, (len(rows), size)
    for r in rows:
        assert len(r) == size, (r, size)
        assert all(ch in PALETTE for ch in r), r


def bmp24(rows):
    """A bottom-up 24-bit BMP; 16 * 3 bytes per row needs no padding."""
    check(rows, 16)
    pixels = b''.join(
        b''.join(bytes((b, g, r)) for (r, g, b) in (PALETTE[ch] for ch in row))
        for row in reversed(rows))
    info = struct.pack('<IiiHHIIiiII', 40, 16, 16, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return header + info + pixels


def icon_image(rows):
    """One ICO image: BITMAPINFOHEADER (double height), BGRA rows bottom-up, AND mask."""
    size = len(rows)
    check(rows, size)
    xor = bytearray()
    for row in reversed(rows):
        for ch in row:
            r, g, b = PALETTE[ch]
            xor += bytes((b, g, r, 0 if ch == '.' else 255))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, ch in enumerate(row):
            if ch == '.':
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    info = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return size, info + bytes(xor) + bytes(mask)


def scaled(rows, size):
    """The pixel art at another size. Smaller: each target pixel averages the source area it
    covers (colour weighted by opacity), so the shape keeps its proportions."""
    src = len(rows)
    if size >= src:
        # Larger: the source pixel under each target pixel's centre, so edges stay sharp.
        return [''.join(rows[(2 * ty + 1) * src // (2 * size)][(2 * tx + 1) * src // (2 * size)]
                        for tx in range(size)) for ty in range(size)]
    out = []
    for ty in range(size):
        line = ''
        for tx in range(size):
            x0, x1 = tx * src / size, (tx + 1) * src / size
            y0, y1 = ty * src / size, (ty + 1) * src / size
            acc = [0.0, 0.0, 0.0]
            alpha = total = 0.0
            for sy in range(int(y0), min(src, int(-(-y1 // 1)))):
                wy = min(y1, sy + 1) - max(y0, sy)
                for sx in range(int(x0), min(src, int(-(-x1 // 1)))):
                    w = wy * (min(x1, sx + 1) - max(x0, sx))
                    total += w
                    ch = rows[sy][sx]
                    if ch != '.':
                        alpha += w
                        for i in range(3):
                            acc[i] += w * PALETTE[ch][i]
            line += nearest_palette([c / alpha for c in acc]) if alpha >= total / 2 else '.'
        out.append(line)
    return out


def nearest_palette(rgb):
    return min((ch for ch in PALETTE if ch != '.'),
               key=lambda ch: sum((a - b) ** 2 for a, b in zip(PALETTE[ch], rgb)))


def png(rows):
    """One image as PNG (RGBA), as Windows keeps its 256-pixel icons."""
    size = len(rows)
    raw = b''.join(b'\0' + b''.join(bytes(PALETTE[ch] + ((0,) if ch == '.' else (255,))) for ch in row)
                   for row in rows)

    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
    header = struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0)
    return size, (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) + chunk(b'IDAT', zlib.compress(raw, 9))
                  + chunk(b'IEND', b''))


# The sizes Windows asks for: 16 to 32 for the title bar, taskbar and notification area at
# 100 to 200 %, 48 for Explorer's icons, 256 for its large views.
LARGE_SIZES = (16, 20, 24, 32, 48, 256)
SMALL_SIZES = (16, 20, 24, 32)


def icon_set(sizes):
    images = []
    for size in sizes:
        rows = ICON_16 if size == 16 else scaled(ICON_32, size)
        images.append(png(rows) if size >= 256 else icon_image(rows))
    return images


def ico(images):
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b''.join(data for _, data in images)


def main():
    outputs = {
        'kind_key.bmp': bmp24(KIND_KEY),
        'kind_mouse.bmp': bmp24(KIND_MOUSE),
        'kind_disabled.bmp': bmp24(KIND_DISABLED),
        'kind_application.bmp': bmp24(KIND_APPLICATION),
        'zan.ico': ico(icon_set(LARGE_SIZES)),
        'zan_small.ico': ico(icon_set(SMALL_SIZES)),
    }
    for name, data in outputs.items():
        with open(os.path.join(HERE, name), 'wb') as f:
            f.write(data)
        print(name, len(data), 'bytes')


if __name__ == '__main__':
    main()
