#!/usr/bin/env python3
"""Draws the program's own pictures (program icon and station picture) as PNG files.

Run from the source tree: scripts/make-pictures.py. Only the standard library is used,
so the pictures can be redrawn anywhere; the results are checked in under
src/console/pictures/.
"""
import math
import struct
import zlib
from pathlib import Path

SUB = 4  # subsamples per pixel side, for smooth edges


def rounded_rect(x0, y0, x1, y1, r, colour):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside, colour


def circle(cx, cy, r, colour):
    return (lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r), colour


def polyline(points, width, colour):
    half = width / 2

    def inside(x, y):
        for (ax, ay), (bx, by) in zip(points, points[1:]):
            dx, dy = bx - ax, by - ay
            t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
            if math.hypot(x - ax - t * dx, y - ay - t * dy) <= half:
                return True
        return False
    return inside, colour


def vertical_gradient(top, bottom, size):
    def colour(_x, y):
        f = y / size
        return tuple(round(a + (b - a) * f) for a, b in zip(top, bottom)) + (255,)
    return colour


def render(size, shapes):
    rows = []
    for py in range(size):
        row = bytearray([0])
        for px in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(SUB):
                for sx in range(SUB):
                    x = px + (sx + 0.5) / SUB
                    y = py + (sy + 0.5) / SUB
                    for inside, colour in reversed(shapes):
                        if inside(x, y):
                            c = colour(x, y) if callable(colour) else colour
                            for i in range(3):
                                acc[i] += c[i] * c[3]
                            acc[3] += c[3]
                            break
            n = SUB * SUB
            alpha = acc[3] / n
            rgb = [round(acc[i] / acc[3]) if acc[3] else 0 for i in range(3)]
            row += bytes(rgb + [round(alpha)])
        rows.append(bytes(row))
    return png(size, size, b"".join(rows))


def png(width, height, raw):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def program_icon():
    s = 96
    white = (255, 255, 255, 255)
    red = (214, 48, 49, 255)
    return render(s, [
        rounded_rect(2, 2, s - 2, s - 2, 16, vertical_gradient((46, 117, 182), (20, 60, 110), s)),
        rounded_rect(20, 12, 36, 66, 8, white),
        circle(28, 70, 13, white),
        rounded_rect(25, 36, 31, 70, 3, red),
        circle(28, 70, 9, red),
        polyline([(44, 70), (56, 52), (66, 60), (82, 28)], 6, (124, 252, 0, 255)),
    ])


def station_picture():
    s = 64
    dark = (60, 64, 72, 255)
    return render(s, [
        rounded_rect(4, 14, 60, 54, 6, dark),
        rounded_rect(6, 16, 58, 52, 5, (205, 210, 218, 255)),
        circle(16, 26, 3.5, (0, 200, 0, 255)),
        circle(27, 26, 3.5, (0, 200, 0, 255)),
        circle(38, 26, 3.5, (255, 170, 0, 255)),
        rounded_rect(12, 38, 22, 46, 1.5, dark),
        rounded_rect(27, 38, 37, 46, 1.5, dark),
        rounded_rect(42, 38, 52, 46, 1.5, dark),
    ])


if __name__ == "__main__":
    folder = Path(__file__).resolve().parent.parent / "src" / "console" / "pictures"
    folder.mkdir(parents=True, exist_ok=True)
    (folder / "vantrel.png").write_bytes(program_icon())
    (folder / "station.png").write_bytes(station_picture())
