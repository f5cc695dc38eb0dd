#!/usr/bin/env python3
"""Writes the tiny seed files of every fuzz target into corpus/fuzz_<reader>/.
All of them are made here from scratch; run with Debian's python3 (python3-pil
makes the JPEG seeds). Re-running rewrites the same files."""
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


def jpeg(mode, size):
    img = Image.new(mode, size)
    img.putdata([((x * 40) % 256, (y * 40) % 256, 128) if mode == "RGB" else (x * 30) % 256
                 for y in range(size[1]) for x in range(size[0])])
    out = io.BytesIO()
    img.save(out, "JPEG", quality=50)
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
    put("jpg", "rgb.jpg", jpeg("RGB", (8, 8)))
    put("jpg", "grey.jpg", jpeg("L", (8, 8)))
    put("pak", "quake2-pack.seed", pak([("players/male/tris.md2", b"IDP2"), ("progs/a.mdl", b"IDPO"),
                                  ("hl/b.mdl", b"IDST" + struct.pack("<ii", 0, 10)), ("env/sky.tga", b"t"),
                                  ("textures/w.wal", b"w")]))
    put("pak", "sin-spak.seed", pak([("models/x.def", b"def")], b"SPAK", 120))
    put("palette", "jasc.pal", ("JASC-PAL\r\n0100\r\n256\r\n" + "".join(
        f"{i} {i} {255 - i}\r\n" for i in range(256))).encode())
    put("palette", "riff.pal", b"RIFF" + struct.pack("<I", 1040) + b"PAL data" + struct.pack("<IHH", 1028, 768, 256)
        + bytes(i % 256 for i in range(1024)))
    put("mdl", "mixed.seed", mdl([["stand1"], ["stand2"], ["run1", "run2", "run3"], ["pain1"]], 2))
    put("mdl", "ends-with-group.seed", mdl([["idle1"], ["fly1", "fly2"]], 1, b"editor block"))
    put("sprite", "quake2.seed", sp2([(32, 32, 16, 16, "sprites/s_a_0.pcx"), (16, 8, 8, 4, "sprites/s_a_1.pcx")]))
    put("sprite", "quake1.seed", spr(1, [(4, 4), [(2, 2), (3, 1)]]))
    put("sprite", "half-life.seed", spr(2, [(4, 2), [(2, 2)]], 2))
    put("indexed", "sprite.bin", bytes([2, 1, 2]) + bytes(i % 256 for i in range(1024)) + bytes(range(6)))


main()
