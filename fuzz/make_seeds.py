#!/usr/bin/env python3
"""Writes the tiny seed files of every fuzz target into corpus/fuzz_<reader>/:
here the variants the tests' writers do not make (BMP of every depth and
layout, baseline and progressive JPEG, palette files, raw skin indices), and a
first file for each of the other readers. tools/make_fuzz_seeds writes one file
per variant of those with the tests' own writers (images, paks, every model
family, scenes of versions 5 and 6).
All of them are made from scratch; run with Debian's /usr/bin/python3
(python3-pil makes the JPEG seeds). Re-running rewrites the same files."""
import io
import os
import struct

from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))


def put(target, name, data):
    folder = os.path.join(HERE, "corpus", "fuzz_" + target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def palette768():
    return bytes((i * 7 + c * 50) % 256 for i in range(256) for c in range(3))


def pcx(width, height, bytes_per_line, rows):
    header = struct.pack("<BBBBhhhhhh", 10, 5, 1, 8, 0, 0, width - 1, height - 1, 72, 72)
    header += bytes(48) + bytes([0, 1]) + struct.pack("<hh", bytes_per_line, 1)
    header += bytes(128 - len(header))
    data = bytearray()
    for row in rows:
        for v in row + [0] * (bytes_per_line - width):
            if v >= 0xC0:
                data.append(0xC1)
            data.append(v)
    return header + bytes(data) + b"\x0c" + palette768()


def tga(kind, bits, width, height, body, top_left=False, cmap=b""):
    descriptor = (0x20 if top_left else 0) | (8 if bits == 32 else 0)
    header = struct.pack("<BBBHHBHHHHBB", 0, 1 if kind == 1 else 0, kind, 0, len(cmap) // 3 if kind == 1 else 0,
                         24 if kind == 1 else 0, 0, 0, width, height, bits, descriptor)
    return header + cmap + body


def wal(width, height, pixels):
    offsets = [100, 100 + len(pixels), 100 + len(pixels), 100 + len(pixels)]
    return b"textures/seed".ljust(32, b"\0") + struct.pack("<ii4i", width, height, *offsets) + bytes(
        100 - 56) + bytes(pixels)


def swl(width, height, pixels):
    head = b"textures/seed".ljust(64, b"\0") + struct.pack("<ii", width, height)
    head += bytes((i + c * 40) % 256 for i in range(256) for c in range(4))
    head = head.ljust(1100, b"\0") + struct.pack("<ii", 1236, 1236 + len(pixels))
    return head.ljust(1236, b"\0") + bytes(pixels)


def bmp24(width, height):
    stride = (width * 3 + 3) & ~3
    pixels = b"".join(bytes((x * 60 + y * 9 + c * 30) % 256 for x in range(width) for c in range(3)).ljust(
        stride, b"\0") for y in range(height))
    header = b"BM" + struct.pack("<IHHI", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return header + info + pixels


def bmp(bits, width, height, top_down=False, masks=None, colours=None):
    """An uncompressed BMP: `bits` 1, 4, 8 (with a palette of `colours` entries),
    16, 24 or 32; `masks` (red, green, blue) makes it a bitfields one."""
    stride = (width * bits + 31) // 32 * 4
    rows = []
    for y in range(height):
        if bits < 8:
            per_byte = 8 // bits
            row = bytes(sum(((x + y + k) % (1 << bits)) << (8 - bits * (k + 1)) for k in range(per_byte))
                        for x in range(0, width, per_byte))
        else:
            row = bytes((x * 50 + y * 30 + c * 17) % 256 for x in range(width) for c in range(bits // 8))
        rows.append(row.ljust(stride, b"\0"))
    pixels = b"".join(rows)
    if bits <= 8:
        colours = colours or (1 << bits)
        table = b"".join(bytes(((i * 40) % 256, (i * 90) % 256, (255 - i * 20) % 256, 0)) for i in range(colours))
    else:
        colours = 0
        table = b""
    if masks:
        table = struct.pack("<3I", *masks)
    offset = 54 + len(table)
    header = b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, -height if top_down else height, 1, bits, 3 if masks else 0,
                       len(pixels), 2835, 2835, colours, 0)
    return header + info + table + pixels


def jpeg(mode, size, progressive=False, subsampling=-1):
    img = Image.new(mode, size)
    img.putdata([((x * 40) % 256, (y * 40) % 256, 128) if mode == "RGB" else (x * 30) % 256
                 for y in range(size[1]) for x in range(size[0])])
    out = io.BytesIO()
    img.save(out, "JPEG", quality=50, progressive=progressive, subsampling=subsampling)
    return out.getvalue()


def pak(entries, magic=b"PACK", name_length=56):
    data = bytearray(magic + bytes(8))
    directory = bytearray()
    for name, content in entries:
        offset = len(data)
        data += content
        directory += name.encode().ljust(name_length, b"\0") + struct.pack("<ii", offset, len(content))
    struct.pack_into("<ii", data, 4, len(data), len(directory))
    return bytes(data + directory)


def mdl(frames, skin_count=1, trailer=b""):
    """A Quake 1 box model: `frames` lists entries, each a list of frame names
    (one name a simple frame, more a group)."""
    width, height, verts = 8, 4, 8
    header = b"IDPO" + struct.pack("<i", 6) + struct.pack("<3f", 16 / 255, 16 / 255, 1.0)
    header += struct.pack("<3f", -8, -8, 0) + struct.pack("<f", 20) + struct.pack("<3f", 0, 0, 2)
    header += struct.pack("<9i", skin_count, width, height, verts, 12, len(frames), 0, 0, 0)
    body = b"".join(struct.pack("<i", 0) + bytes(range(200, 200 + width * height)) for _ in range(skin_count))
    body += b"".join(struct.pack("<3i", i & 1, (i & 2) * 3, (i & 4)) for i in range(verts))
    faces = [(0, 2, 3, 1), (4, 5, 7, 6), (0, 1, 5, 4), (2, 6, 7, 3), (0, 4, 6, 2), (1, 3, 7, 5)]
    for a, b, c, d in faces:
        body += struct.pack("<4i", 1, a, b, c) + struct.pack("<4i", 0, a, c, d)

    def frame(name, h):
        vs = b"".join(bytes([255 * (i & 1), 255 * ((i >> 1) & 1), h * ((i >> 2) & 1), i]) for i in range(verts))
        return bytes(8) + name.encode().ljust(16, b"\0") + vs

    h = 10
    for entry in frames:
        if len(entry) == 1:
            body += struct.pack("<i", 0) + frame(entry[0], h)
            h += 1
            continue
        body += struct.pack("<ii", 1, len(entry)) + bytes(8)
        body += b"".join(struct.pack("<f", 0.1 * (i + 1)) for i in range(len(entry)))
        for name in entry:
            body += frame(name, h)
            h += 1
    return header + body + trailer


def sp2(frames):
    return b"IDS2" + struct.pack("<ii", 2, len(frames)) + b"".join(
        struct.pack("<4i", w, h, ox, oy) + name.encode().ljust(64, b"\0") for w, h, ox, oy, name in frames)


def spr(version, frames, texture_format=0):
    """`frames` lists entries: (w, h) a single picture, [(w, h), ...] a group."""
    head = b"IDSP" + struct.pack("<ii", version, 2)
    if version == 2:
        head += struct.pack("<i", texture_format)
    head += struct.pack("<f3ifi", 8.0, 8, 8, len(frames), 0.0, 0)
    if version == 2:
        head += struct.pack("<h", 256) + bytes((i * 3 + c) % 256 for i in range(256) for c in range(3))

    def picture(w, h):
        return struct.pack("<4i", -w // 2, h // 2, w, h) + bytes((7 * i) % 256 for i in range(w * h))

    body = b""
    for entry in frames:
        if isinstance(entry, tuple):
            body += struct.pack("<i", 0) + picture(*entry)
            continue
        body += struct.pack("<ii", 1, len(entry)) + b"".join(struct.pack("<f", 0.1 * (i + 1)) for i in range(len(entry)))
        body += b"".join(picture(*p) for p in entry)
    return head + body


def main():
    put("pcx", "odd-width.seed", pcx(3, 2, 4, [[1, 200, 255], [7, 8, 9]]))
    put("tga", "mapped.tga", tga(1, 8, 2, 2, bytes([0, 1, 2, 3]), cmap=bytes(range(12))))
    put("tga", "true24.tga", tga(2, 24, 2, 1, bytes(range(6))))
    put("tga", "true32-top.tga", tga(2, 32, 1, 2, bytes(range(8)), top_left=True))
    put("tga", "rle24.tga", tga(10, 24, 3, 2, bytes([0x83, 1, 2, 3, 0x01, 4, 5, 6, 7, 8, 9])))
    put("wal", "small.seed", wal(2, 2, [1, 255, 3, 4]))
    put("swl", "small.seed", swl(2, 1, [63, 5]))
    put("bmp", "small.bmp", bmp24(3, 2))
    for bits in (1, 4, 8, 16, 24, 32):
        put("bmp", f"plain{bits}.bmp", bmp(bits, 5, 3))
    put("bmp", "top-down8.bmp", bmp(8, 5, 3, top_down=True))
    put("bmp", "top-down24.bmp", bmp(24, 3, 2, top_down=True))
    put("bmp", "few-colours8.bmp", bmp(8, 4, 2, colours=5))
    put("bmp", "bitfields565.bmp", bmp(16, 3, 2, masks=(0xF800, 0x07E0, 0x001F)))
    put("bmp", "bitfields32.bmp", bmp(32, 3, 2, masks=(0x00FF0000, 0x0000FF00, 0x000000FF)))
    put("jpg", "rgb.jpg", jpeg("RGB", (8, 8)))
    put("jpg", "grey.jpg", jpeg("L", (8, 8)))
    put("jpg", "progressive-rgb.jpg", jpeg("RGB", (8, 8), progressive=True))
    put("jpg", "progressive-grey.jpg", jpeg("L", (8, 8), progressive=True))
    put("jpg", "odd-444.jpg", jpeg("RGB", (13, 7), subsampling=0))
    put("pak", "quake2-pack.seed", pak([("players/male/tris.md2", b"IDP2"), ("progs/a.mdl", b"IDPO"),
                                  ("hl/b.mdl", b"IDST" + struct.pack("<ii", 0, 10)), ("env/sky.tga", b"t"),
                                  ("textures/w.wal", b"w")]))
    put("pak", "sin-spak.seed", pak([("models/x.def", b"def")], b"SPAK", 120))
    put("palette", "jasc.pal", ("JASC-PAL\r\n0100\r\n256\r\n" + "".join(
        f"{i} {i} {255 - i}\r\n" for i in range(256))).encode())
    put("palette", "riff.pal", b"RIFF" + struct.pack("<I", 1040) + b"PAL data" + struct.pack("<IHH", 1028, 768, 256)
        + bytes(i % 256 for i in range(1024)))
    put("palette", "jasc-16.pal", ("JASC-PAL\n0100\n16\n" + "".join(f"{i * 16} {255 - i} {i}\n" for i in range(16))).encode())
    put("mdl", "mixed.seed", mdl([["stand1"], ["stand2"], ["run1", "run2", "run3"], ["pain1"]], 2))
    put("mdl", "ends-with-group.seed", mdl([["idle1"], ["fly1", "fly2"]], 1, b"editor block"))
    put("sprite", "quake2.seed", sp2([(32, 32, 16, 16, "sprites/s_a_0.pcx"), (16, 8, 8, 4, "sprites/s_a_1.pcx")]))
    put("sprite", "quake1.seed", spr(1, [(4, 4), [(2, 2), (3, 1)]]))
    put("sprite", "half-life.seed", spr(2, [(4, 2), [(2, 2)]], 2))
    for mode in range(6):
        put("indexed", f"mode{mode}.bin", bytes([3, 2, mode]) + bytes((i * 5) % 256 for i in range(1024)) +
            bytes((i * 31) % 256 for i in range(12)))
    put("indexed", "skin-only.bin", bytes([4, 3, 0]) + bytes(range(20)))


main()
