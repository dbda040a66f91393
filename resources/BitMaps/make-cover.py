#!/usr/bin/env python3
"""Draws the cover picture Quillory.bmp (a seamless parchment tile with a
quill) and the program icon. Run once; the outputs are committed."""
import math, struct, sys, zlib, os

def feather(w, h, cx, cy, length, width, angle_deg, ss=3, bg=None, k=1.0):
    """RGB rows of a w x h picture: bg(x, y) behind a quill feather; k scales
    the pixel-sized details (barbs, shaft, nib) for larger drawings."""
    a = math.radians(angle_deg)
    ca, sa = math.cos(a), math.sin(a)
    px = [[(0, 0, 0)] * w for _ in range(h)]
    for y in range(h):
        for x in range(w):
            acc = [0.0, 0.0, 0.0]
            for sy in range(ss):
                for sx in range(ss):
                    fx = x + (sx + 0.5) / ss
                    fy = y + (sy + 0.5) / ss
                    c = bg(fx, fy)
                    # Local coordinates: u along the shaft from the nib, v across.
                    dx, dy = fx - cx, fy - cy
                    u = dx * ca + dy * sa + length / 2
                    v = -dx * sa + dy * ca
                    if 0 <= u <= length:
                        t = u / length
                        if t > 0.22:
                            s = (t - 0.22) / 0.78
                            half = width * math.sin(math.pi * s) ** 0.7
                            side = half * (0.72 if v < 0 else 1.0)
                            if abs(v) < side:
                                edge = abs(v) / max(side, 1e-6)
                                barb = (u * 0.8 + abs(v) * 1.6) / k % 5.0 < 1.3
                                base = (38, 66, 112) if not barb else (26, 44, 80)
                                glow = 1.0 - 0.35 * edge
                                c = tuple(min(255, b * (0.8 + 0.5 * glow)) for b in base)
                        if abs(v) < 1.1 * k and t > 0.1:
                            c = (236, 230, 210)
                        if t <= 0.12 and abs(v) < (2.6 * (t / 0.12) + 0.3) * k:
                            c = (28, 26, 30)
                    for i in range(3):
                        acc[i] += c[i]
            n = ss * ss
            px[y][x] = tuple(int(round(v / n)) for v in acc)
    return px

def parchment(w, h):
    def bg(x, y):
        # Periodic in x and y so that tiles join without a seam.
        t = (math.sin(2 * math.pi * x / w * 2) * math.cos(2 * math.pi * y / h * 3)
             + 0.5 * math.sin(2 * math.pi * (x / w + 2 * y / h))
             + 0.3 * math.cos(2 * math.pi * (5 * x / w - 3 * y / h)))
        return (236 + 6 * t, 226 + 6 * t, 196 + 8 * t)
    return bg

def write_bmp(path, px):
    h, w = len(px), len(px[0])
    row = (w * 3 + 3) & ~3
    data = bytearray()
    for y in range(h - 1, -1, -1):
        line = bytearray()
        for (r, g, b) in px[y]:
            line += bytes((b, g, r))
        line += b"\0" * (row - w * 3)
        data += line
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 3780, 3780, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)

def write_png(path, px):
    h, w = len(px), len(px[0])
    raw = b"".join(b"\0" + b"".join(bytes(p) for p in r) for r in px)
    def chunk(t, d):
        return struct.pack(">I", len(d)) + t + d + struct.pack(">I", zlib.crc32(t + d) & 0xffffffff)
    png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
           + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))
    with open(path, "wb") as f:
        f.write(png)

def write_ico(path, rgba):
    """One 32-bit image: a DIB (BGRA, bottom-up) and its AND mask."""
    h, w = len(rgba), len(rgba[0])
    xor = b"".join(bytes((b, g, r, a)) for row in reversed(rgba) for (r, g, b, a) in row)
    mask_row = ((w + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rgba):
        bits = bytearray(mask_row)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    info = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = info + xor + bytes(mask)
    head = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(image), 6 + 16)
    with open(path, "wb") as f:
        f.write(head + entry + image)

def icon_rgba(S):
    """The program icon at S x S pixels as RGBA rows."""
    k = S / 64
    icon = feather(S, S, S / 2, S / 2, 56 * k, 9 * k, -55, bg=lambda x, y: (236, 226, 196), k=k)
    rgba = []
    for y in range(S):
        r = []
        for x in range(S):
            d = math.hypot(x + 0.5 - S / 2, y + 0.5 - S / 2)
            alpha = max(0, min(255, int((S / 2 - d) * 255)))
            c = icon[y][x]
            if S / 2 - 2.5 * k < d < S / 2:
                c = (120, 84, 40)
            r.append((c[0], c[1], c[2], alpha))
        rgba.append(r)
    return rgba

if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    W, H = 240, 180
    write_bmp(os.path.join(here, "Quillory.bmp"),
              feather(W, H, W / 2, H / 2, 150, 20, -55, bg=parchment(W, H)))
    # Icon: the quill on a round parchment seal, transparent outside it;
    # drawn afresh at each size the desktop's icon theme takes.
    rgba = icon_rgba(64)
    write_png(os.path.join(here, "..", "icons", "quillory.png"), rgba)
    write_ico(os.path.join(here, "..", "icons", "quillory.ico"), rgba)
    for size in (48, 128, 256):
        folder = os.path.join(here, "..", "icons", "hicolor", "%dx%d" % (size, size), "apps")
        os.makedirs(folder, exist_ok=True)
        write_png(os.path.join(folder, "io.github.quillory.Quillory.png"), icon_rgba(size))
