#!/usr/bin/env python3
"""Draws Quarrystone's icons and writes them as .ico files into res/ (and, with --png DIR, one
PNG per image so that they can be looked at). Pure Python: shapes are sampled on a grid of
sub-pixels and averaged, which antialiases the 32-bit images; the 256-colour images are the same
pictures quantised to a palette, with a 1-bit transparency mask.

Usage: tools/draw_icons.py [--png DIR]
"""
import math
import os
import struct
import sys
import zlib

# ---------------------------------------------------------------------------------------------
# Colours and shapes. Pictures are drawn in a 64 x 64 unit space whatever the target size.


def rgb(hex_colour, alpha=1.0):
    v = int(hex_colour.lstrip("#"), 16)
    return ((v >> 16) & 255, (v >> 8) & 255, v & 255, alpha)


def mix(c1, c2, t):
    t = min(1.0, max(0.0, t))
    return tuple(a + (b - a) * t for a, b in zip(c1, c2))


class Polygon:
    def __init__(self, points, paint):
        self.points = points
        self.paint = paint  # a colour, or a function (x, y) -> colour
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]
        self.box = (min(xs), min(ys), max(xs), max(ys))

    def covers(self, x, y):
        inside = False
        pts = self.points
        j = len(pts) - 1
        for i in range(len(pts)):
            xi, yi = pts[i]
            xj, yj = pts[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                inside = not inside
            j = i
        return inside


class Circle:
    def __init__(self, cx, cy, r, paint=None, inner=0.0):
        self.cx, self.cy, self.r, self.inner, self.paint = cx, cy, r, inner, paint
        self.box = (cx - r, cy - r, cx + r, cy + r)

    def covers(self, x, y):
        d = (x - self.cx) ** 2 + (y - self.cy) ** 2
        return self.inner * self.inner <= d <= self.r * self.r


class Capsule:
    """A thick segment with round ends."""

    def __init__(self, a, b, width, paint):
        self.a, self.b, self.h, self.paint = a, b, width / 2.0, paint
        self.box = (min(a[0], b[0]) - self.h, min(a[1], b[1]) - self.h,
                    max(a[0], b[0]) + self.h, max(a[1], b[1]) + self.h)

    def covers(self, x, y):
        (ax, ay), (bx, by) = self.a, self.b
        dx, dy = bx - ax, by - ay
        length2 = dx * dx + dy * dy
        t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / length2))
        px, py = ax + t * dx - x, ay + t * dy - y
        return px * px + py * py <= self.h * self.h


class Clipped:
    """A shape drawn only where another shape also covers."""

    def __init__(self, shape, clip):
        self.shape, self.clip, self.paint, self.box = shape, clip, shape.paint, shape.box

    def covers(self, x, y):
        return self.shape.covers(x, y) and self.clip.covers(x, y)


def render(shapes, size, samples):
    """Returns size*size RGBA tuples (0-255, straight alpha)."""
    scale = 64.0 / size
    out = []
    n = samples * samples
    for py in range(size):
        for px in range(size):
            x0, y0 = px * scale, py * scale
            x1, y1 = x0 + scale, y0 + scale
            near = [s for s in shapes
                    if s.box[0] <= x1 and s.box[2] >= x0 and s.box[1] <= y1 and s.box[3] >= y0]
            acc = [0.0, 0.0, 0.0, 0.0]  # premultiplied
            if near:
                for sy in range(samples):
                    for sx in range(samples):
                        x = x0 + (sx + 0.5) * scale / samples
                        y = y0 + (sy + 0.5) * scale / samples
                        r = g = b = a = 0.0
                        for s in near:
                            if s.covers(x, y):
                                c = s.paint(x, y) if callable(s.paint) else s.paint
                                ca = c[3]
                                r = c[0] * ca + r * (1 - ca)
                                g = c[1] * ca + g * (1 - ca)
                                b = c[2] * ca + b * (1 - ca)
                                a = ca + a * (1 - ca)
                        acc[0] += r
                        acc[1] += g
                        acc[2] += b
                        acc[3] += a
            a = acc[3] / n
            if a <= 0.0:
                out.append((0, 0, 0, 0))
            else:
                out.append((round(acc[0] / n / a), round(acc[1] / n / a), round(acc[2] / n / a),
                            round(a * 255)))
    return out


# ---------------------------------------------------------------------------------------------
# The pictures.


def program_icon(size):
    """A block of layered stone under a magnifying glass: what the program does, in one picture."""
    px = 64.0 / size  # one target pixel in picture units
    edge = max(1.3, px * 0.9)
    outline = rgb("#4a3b2a")
    top = (6, 27), (27, 17), (48, 27), (27, 37)
    left = (6, 27), (27, 37), (27, 59), (6, 49)
    right = (27, 37), (48, 27), (48, 49), (27, 59)
    hull = (6, 27), (27, 17), (48, 27), (48, 49), (27, 59), (6, 49)
    shapes = [
        Polygon(top, lambda x, y: mix(rgb("#f1e6cc"), rgb("#d2bf98"), (y - 17) / 20)),
        Polygon(left, lambda x, y: mix(rgb("#c3ad88"), rgb("#a58f6c"), (y - 27) / 32)),
        Polygon(right, lambda x, y: mix(rgb("#9c8564"), rgb("#7b6648"), (y - 27) / 32)),
    ]
    # Strata: the layers a quarry face shows, darker bands along the sides.
    layers = (9, 16) if size >= 32 else (12,) if size >= 24 else ()
    for k in layers:
        band = max(1.6, px * 1.0)
        shapes.append(Clipped(Capsule((6, 27 + k), (27, 37 + k), band, rgb("#8a7556")),
                              Polygon(left, None)))
        shapes.append(Clipped(Capsule((27, 37 + k), (48, 27 + k), band, rgb("#5f4d35")),
                              Polygon(right, None)))
    for a, b in zip(hull, hull[1:] + hull[:1]):
        shapes.append(Capsule(a, b, edge, outline))
    shapes.append(Capsule((27, 37), (27, 59), edge * 0.8, rgb("#5a4832")))
    shapes.append(Capsule((6, 27), (27, 37), edge * 0.8, rgb("#6d5a40")))
    shapes.append(Capsule((27, 37), (48, 27), edge * 0.8, rgb("#6d5a40")))

    # The magnifier over the block's upper right corner.
    cx, cy, r = 42.0, 23.0, 15.0
    ring = max(4.2, px * 1.6)
    lens = Circle(cx, cy, r - ring / 2)
    shapes += [
        Capsule((52, 34), (60.5, 42.5), max(7.0, px * 3.2), rgb("#2b2118")),
        Capsule((53.5, 35.5), (59.5, 41.5), max(3.0, px * 1.2), rgb("#5d4631")),
        Circle(cx, cy, r - ring / 2, rgb("#bfe4fb", 0.42)),
        Clipped(Circle(cx - 4.5, cy - 5.0, 6.5, rgb("#ffffff", 0.55), inner=4.2), lens),
        Circle(cx, cy, r, lambda x, y: mix(rgb("#5f86c0"), rgb("#22365a"), (y - cy + r) / (2 * r)),
               inner=r - ring),
    ]
    return shapes


def on_pixel_centres(points, px):
    """The points moved to the centres of their pixels at this size, so that one-pixel outlines
    stay crisp at every size (the 16 x 16 points are on pixel centres already)."""
    return tuple(((x // px + 0.5) * px, (y // px + 0.5) * px) for x, y in points)


def folder_icon(size):
    """A plain yellow folder, the stand-in for folder icons."""
    px = 64.0 / size
    edge = max(1.5, px * 0.9)
    back = on_pixel_centres(((6, 10), (26, 10), (30, 18), (58, 18), (58, 54), (6, 54)), px)
    front = on_pixel_centres(((6, 26), (58, 26), (58, 54), (6, 54)), px)
    shapes = [Polygon(back, rgb("#d9a520"))]
    shapes += [Capsule(a, b, edge, rgb("#8a6410")) for a, b in zip(back, back[1:] + back[:1])]
    shapes.append(Polygon(front, lambda x, y: mix(rgb("#ffe17a"), rgb("#f3bf2f"), (y - 26) / 28)))
    shapes += [Capsule(a, b, edge, rgb("#8a6410")) for a, b in zip(front, front[1:] + front[:1])]
    return shapes


def page_icon(size):
    """A blank page with a small gear in its lower right corner, the stand-in for file icons."""
    px = 64.0 / size
    edge = max(1.5, px * 0.9)
    page = on_pixel_centres(((10, 2), (42, 2), (54, 14), (54, 62), (10, 62)), px)
    fold = on_pixel_centres(((42, 2), (42, 14), (54, 14)), px)
    shapes = [Polygon(page, rgb("#ffffff"))]
    shapes += [Capsule(a, b, edge, rgb("#6b7480")) for a, b in zip(page, page[1:] + page[:1])]
    shapes.append(Polygon(fold, rgb("#d5dbe3")))
    shapes.append(Capsule(fold[0], fold[1], edge, rgb("#6b7480")))
    shapes.append(Capsule(fold[1], fold[2], edge, rgb("#6b7480")))
    gx, gy = 44.0, 48.0
    teeth = []
    for i in range(8):
        a = i * math.pi / 4
        teeth.append(Capsule((gx + 9 * math.cos(a), gy + 9 * math.sin(a)),
                             (gx + 13 * math.cos(a), gy + 13 * math.sin(a)), 5.5,
                             rgb("#4f5b6b")))
    shapes += teeth
    shapes.append(Circle(gx, gy, 10.5, rgb("#4f5b6b")))
    shapes.append(Circle(gx, gy, 4.0, rgb("#ffffff")))
    return shapes


# ---------------------------------------------------------------------------------------------
# .ico and .png writers.


def and_mask(width, height, pixels):
    """The 1-bit mask, bottom-up, rows padded to 32 bits: 1 where the image is transparent."""
    stride = ((width + 31) // 32) * 4
    data = bytearray()
    for y in reversed(range(height)):
        row = bytearray(stride)
        for x in range(width):
            if pixels[y * width + x][3] < 128:
                row[x // 8] |= 0x80 >> (x % 8)
        data += row
    return bytes(data)


def dib_32(width, height, pixels):
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    for y in reversed(range(height)):
        for x in range(width):
            r, g, b, a = pixels[y * width + x]
            xor += bytes((b, g, r, a))
    return header + bytes(xor) + and_mask(width, height, pixels)


def quantise(pixels, count):
    """Median cut over the opaque pixels' colours; returns (palette, index per pixel)."""
    opaque = [p[:3] for p in pixels if p[3] >= 128]
    boxes = [opaque] if opaque else [[(0, 0, 0)]]
    while len(boxes) < count:
        boxes.sort(key=lambda b: max(max(c[i] for c in b) - min(c[i] for c in b) for i in range(3)))
        widest = boxes.pop()
        spans = [max(c[i] for c in widest) - min(c[i] for c in widest) for i in range(3)]
        if max(spans) == 0:
            boxes.append(widest)
            break
        axis = spans.index(max(spans))
        widest.sort(key=lambda c: c[axis])
        mid = len(widest) // 2
        boxes += [widest[:mid], widest[mid:]]
    palette = [tuple(sum(c[i] for c in b) // len(b) for i in range(3)) for b in boxes]
    cache = {}

    def nearest(c):
        if c not in cache:
            cache[c] = min(range(len(palette)),
                           key=lambda i: sum((palette[i][k] - c[k]) ** 2 for k in range(3)))
        return cache[c]

    return palette, [nearest(p[:3]) if p[3] >= 128 else 0 for p in pixels]


def dib_8(width, height, pixels):
    palette, indexes = quantise(pixels, 255)
    palette += [(0, 0, 0)] * (256 - len(palette))
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 8, 0, 0, 0, 0, 256, 0)
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    stride = (width + 3) // 4 * 4
    xor = bytearray()
    for y in reversed(range(height)):
        row = bytearray(stride)
        row[:width] = bytes(indexes[y * width:(y + 1) * width])
        xor += row
    return header + table + bytes(xor) + and_mask(width, height, pixels)


def write_ico(path, images):
    """images: list of (size, bits per pixel, pixels); 8-bit images get a 256-colour palette."""
    blobs = [dib_32(s, s, p) if bpp == 32 else dib_8(s, s, p) for s, bpp, p in images]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for (s, bpp, _), blob in zip(images, blobs):
        out += struct.pack("<BBBBHHII", s % 256, s % 256, 0, 0, 1, bpp, len(blob), offset)
        offset += len(blob)
    with open(path, "wb") as f:
        f.write(out + b"".join(blobs))


def write_png(path, size, pixels, background=None):
    rows = bytearray()
    for y in range(size):
        rows.append(0)
        for r, g, b, a in pixels[y * size:(y + 1) * size]:
            if background:
                t = a / 255.0
                rows += bytes(round(c * t + bg * (1 - t)) for c, bg in zip((r, g, b), background))
                rows.append(255)
            else:
                rows += bytes((r, g, b, a))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def palette_view(pixels):
    """What the 256-colour image shows: the quantised colours with the mask's hard edge."""
    palette, indexes = quantise(pixels, 255)
    return [palette[i] + (255,) if p[3] >= 128 else (0, 0, 0, 0) for p, i in zip(pixels, indexes)]


ICONS = [
    # file name, picture, [(size, bits per pixel)]
    ("Quarrystone.ico", program_icon, [(64, 32), (48, 32), (32, 32), (24, 32), (16, 32)]),
    ("About.ico", program_icon, [(48, 8), (48, 32), (60, 32), (72, 32), (96, 32)]),
    ("FileFallback.ico", page_icon, [(16, 8), (16, 32), (20, 32), (24, 32), (32, 32)]),
    ("FolderFallback.ico", folder_icon, [(16, 8), (16, 32), (20, 32), (24, 32), (32, 32)]),
]


def main(argv):
    png_dir = argv[argv.index("--png") + 1] if "--png" in argv else None
    res = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res")
    for name, picture, formats in ICONS:
        images = []
        for size, bpp in formats:
            pixels = render(picture(size), size, 8 if size <= 24 else 5)
            images.append((size, bpp, pixels))
            if png_dir:
                shown = pixels if bpp == 32 else palette_view(pixels)
                stem = "%s/%s-%d-%d" % (png_dir, name[:-4], size, bpp)
                write_png(stem + ".png", size, shown)
        write_ico(os.path.join(res, name), images)
        print("wrote res/%s" % name)


if __name__ == "__main__":
    main(sys.argv[1:])
