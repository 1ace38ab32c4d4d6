#!/usr/bin/env python3
"""Converts an X window dump (xwd, ZPixmap, 24 or 32 bits per pixel) into a
PNG, optionally cropped, and compares pictures:
  xwd2png.py IN.xwd OUT.png [X Y W H]
  xwd2png.py --mean IN.xwd                      mean channel value
  xwd2png.py --diff A.xwd B.xwd X Y W H          percentage of clearly changed pixels in a region
  xwd2png.py --compare-png A.png B.png           mean absolute difference (same size)
  xwd2png.py --differing A.xwd B.xwd              pixels that differ at all (-1: sizes differ)"""
import struct
import sys
import zlib


def read_xwd(path):
    data = open(path, "rb").read()
    header_size = struct.unpack(">I", data[0:4])[0]
    fields = struct.unpack(">25I", data[0:100])
    (_, version, pixmap_format, depth, width, height, _, byte_order, _, _, _,
     bits_per_pixel, bytes_per_line, _, red_mask, green_mask, blue_mask, _, _,
     ncolors, _, _, _, _, _) = fields
    if version != 7 or pixmap_format != 2 or bits_per_pixel not in (24, 32):
        raise SystemExit("xwd2png: unsupported dump (version %d, format %d, %d bpp)"
                         % (version, pixmap_format, bits_per_pixel))
    offset = header_size + ncolors * 12
    step = bits_per_pixel // 8
    order = "<" if byte_order == 0 else ">"

    def shift_of(mask):
        s = 0
        while mask and not mask & 1:
            mask >>= 1
            s += 1
        return s

    shifts = [shift_of(m) for m in (red_mask, green_mask, blue_mask)]
    rows = []
    for y in range(height):
        line = data[offset + y * bytes_per_line: offset + y * bytes_per_line + width * step]
        row = bytearray()
        for x in range(width):
            chunk = line[x * step: x * step + step]
            if step == 4:
                value = struct.unpack(order + "I", chunk)[0]
            else:
                value = int.from_bytes(chunk, "little" if byte_order == 0 else "big")
            row += bytes(((value & m) >> s) & 0xFF for m, s in zip((red_mask, green_mask, blue_mask), shifts))
        rows.append(bytes(row))
    return width, height, rows


def write_png(path, width, height, rows):
    def chunk(kind, body):
        c = struct.pack(">I", len(body)) + kind + body
        return c + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

    raw = b"".join(b"\x00" + r for r in rows)
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b"")
    open(path, "wb").write(png)


def read_png(path):
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise SystemExit("xwd2png: %s is not a PNG" % path)
    pos, idat, width, height, channels = 8, b"", 0, 0, 3
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour = struct.unpack(">IIBB", body[:10])
            if depth != 8 or colour not in (2, 6) or body[12] != 0:
                raise SystemExit("xwd2png: only 8-bit RGB/RGBA PNGs without interlace")
            channels = 3 if colour == 2 else 4
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, prev = [], bytearray(stride)
    for y in range(height):
        f = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - channels] if i >= channels else 0
            b = prev[i]
            c = prev[i - channels] if i >= channels else 0
            if f == 1:
                line[i] = (line[i] + a) & 0xFF
            elif f == 2:
                line[i] = (line[i] + b) & 0xFF
            elif f == 3:
                line[i] = (line[i] + (a + b) // 2) & 0xFF
            elif f == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                pred = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
                line[i] = (line[i] + pred) & 0xFF
        prev = line
        rgb = bytearray()
        for x in range(width):
            rgb += line[x * channels:x * channels + 3]
        rows.append(bytes(rgb))
    return width, height, rows


def mean_difference(rows_a, rows_b):
    total, count = 0, 0
    for ra, rb in zip(rows_a, rows_b):
        for x, y in zip(ra, rb):
            total += abs(x - y)
        count += min(len(ra), len(rb))
    return total / count if count else 255.0


def changed_share(rows_a, rows_b, threshold=24):
    """Percentage of pixels whose largest channel difference exceeds threshold."""
    changed, count = 0, 0
    for ra, rb in zip(rows_a, rows_b):
        for x in range(0, min(len(ra), len(rb)) - 2, 3):
            if max(abs(ra[x] - rb[x]), abs(ra[x + 1] - rb[x + 1]), abs(ra[x + 2] - rb[x + 2])) > threshold:
                changed += 1
            count += 1
    return 100.0 * changed / count if count else 0.0


def crop(rows, x, y, w, h):
    return [r[x * 3:(x + w) * 3] for r in rows[y:y + h]]


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--mean":
        _, _, rows = read_xwd(sys.argv[2])
        print("%.3f" % (sum(sum(r) for r in rows) / max(1, sum(len(r) for r in rows))))
        return
    if len(sys.argv) == 8 and sys.argv[1] == "--diff":
        x, y, w, h = (int(v) for v in sys.argv[4:8])
        a = crop(read_xwd(sys.argv[2])[2], x, y, w, h)
        b = crop(read_xwd(sys.argv[3])[2], x, y, w, h)
        print("%.3f" % changed_share(a, b))
        return
    if len(sys.argv) == 4 and sys.argv[1] == "--differing":
        wa, ha, a = read_xwd(sys.argv[2])
        wb, hb, b = read_xwd(sys.argv[3])
        if (wa, ha) != (wb, hb):
            print(-1)
            return
        print(sum(1 for ra, rb in zip(a, b) for x in range(0, len(ra), 3) if ra[x:x + 3] != rb[x:x + 3]))
        return
    if len(sys.argv) == 4 and sys.argv[1] == "--compare-png":
        wa, ha, a = read_png(sys.argv[2])
        wb, hb, b = read_png(sys.argv[3])
        # Wine's GL surface sits at -1,-1, so a capture of it lacks the
        # first row and column: compare it with the same part of the other.
        dx, dy = wb - wa, hb - ha
        if dx in (0, 1) and dy in (0, 1):
            print("%.3f" % mean_difference(a, crop(b, dx, dy, wa, ha)))
        else:
            print("255.000")
        return
    if len(sys.argv) not in (3, 7):
        raise SystemExit(__doc__)
    width, height, rows = read_xwd(sys.argv[1])
    if len(sys.argv) == 7:
        x, y, w, h = (int(v) for v in sys.argv[3:7])
        rows = [r[x * 3:(x + w) * 3] for r in rows[y:y + h]]
        width, height = w, h
    write_png(sys.argv[2], width, height, rows)


if __name__ == "__main__":
    main()
