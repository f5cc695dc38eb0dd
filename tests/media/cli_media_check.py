#!/usr/bin/env python3
"""Runs marovin-cli on pictures and pak archives written here, and checks what it
writes against Pillow, a decoder that shares no code with ours.

usage: cli_media_check.py MAROVIN_CLI WORK_DIR images|pak|info|archives
"""
import json
import os
import shutil
import struct
import subprocess
import sys
import zipfile

from PIL import Image

CLI, WORK, WHAT = sys.argv[1], sys.argv[2], sys.argv[3]


def run(*args, expect=0):
    result = subprocess.run([CLI, *args], capture_output=True, text=True)
    if result.returncode != expect:
        sys.exit(f"marovin-cli {' '.join(args)} exited {result.returncode}, expected {expect}\n"
                 f"{result.stdout}{result.stderr}")
    return result.stdout


def path(name):
    return os.path.join(WORK, name)


def palette():
    # Distinct colours everywhere; entry 255 is the transparent one of PCX files.
    return [((i * 7) % 256, (i * 13 + 5) % 256, (255 - i * 3) % 256) for i in range(256)]


def indices(width, height):
    rows = []
    for y in range(height):
        row = [(x * 5 + y * 11) % 256 for x in range(width)]
        rows.append(row)
    rows[0][0] = 255
    rows[height - 1][width - 1] = 0xC5  # a literal that must be written as a run of one
    for x in range(3, 3 + 70):  # a run longer than one count can hold
        if x < width:
            rows[1][x] = 42
    return rows


def write_pcx(name, width, height, bytes_per_line):
    pal = palette()
    rows = indices(width, height)
    header = struct.pack("<BBBBhhhhhh", 10, 5, 1, 8, 0, 0, width - 1, height - 1, 72, 72)
    header += bytes(48) + bytes([0, 1]) + struct.pack("<hh", bytes_per_line, 1)
    header += bytes(128 - len(header))
    data = bytearray()
    for row in rows:
        line = row + [255] * (bytes_per_line - width)  # padding must not show
        x = 0
        while x < len(line):
            run = 1
            while x + run < len(line) and line[x + run] == line[x] and run < 63:
                run += 1
            if run > 1 or line[x] >= 0xC0:
                data += bytes([0xC0 | run, line[x]])
            else:
                data.append(line[x])
            x += run
    body = header + bytes(data) + b"\x0c" + bytes(c for rgb in pal for c in rgb)
    with open(path(name), "wb") as f:
        f.write(body)


def tga_pixels(width, height, depth):
    out = []
    for y in range(height):
        for x in range(width):
            b, g, r = (x * 9) % 256, (y * 17) % 256, (x * y + 3) % 256
            px = [b, g, r] + ([(x * 31 + y) % 256] if depth == 32 else [])
            out.append(bytes(px))
    return out


def write_tga(name, kind, width, height, depth, top_left=False, rle=False):
    descriptor = (0x20 if top_left else 0) | (8 if depth == 32 else 0)
    ident = b"made here"
    if kind == 1:
        header = struct.pack("<BBBHHBHHHHBB", len(ident), 1, 1, 0, 256, 24, 0, 0, width, height, 8, descriptor)
        cmap = bytes(c for rgb in palette() for c in reversed(rgb))
        pixels = bytes(v for row in indices(width, height) for v in row)
        body = header + ident + cmap + pixels
    else:
        header = struct.pack("<BBBHHBHHHHBB", len(ident), 0, 10 if rle else 2, 0, 0, 0, 0, 0, width, height,
                             depth, descriptor)
        px = tga_pixels(width, height, depth)
        if rle:
            # Repeat some pixels so both packet kinds occur. Packets stay within a
            # row here: the independent decoder refuses packets that cross rows.
            for i in range(0, len(px), 7):
                for j in range(i + 1, min(i + 4, len(px))):
                    px[j] = px[i]
            data = bytearray()
            for row_start in range(0, len(px), width):
                row = px[row_start:row_start + width]
                i = 0
                while i < len(row):
                    run = 1
                    while i + run < len(row) and row[i + run] == row[i] and run < 128:
                        run += 1
                    if run > 1:
                        data.append(0x80 | (run - 1))
                        data += row[i]
                        i += run
                        continue
                    start = i
                    i += 1
                    while i < len(row) and i - start < 128 and (i + 1 >= len(row) or row[i + 1] != row[i]):
                        i += 1
                    data.append(i - start - 1)
                    data += b"".join(row[start:i])
            body = header + ident + bytes(data)
        else:
            body = header + ident + b"".join(px)
    with open(path(name), "wb") as f:
        f.write(body)


def write_bmp(name, width, height, bits):
    if bits == 24:
        stride = (width * 3 + 3) & ~3
        rows = []
        for y in range(height):  # bottom row first
            row = bytearray()
            for x in range(width):
                row += bytes([(x * 40) % 256, (y * 60) % 256, (x * y * 10) % 256])
            rows.append(bytes(row) + bytes(stride - len(row)))
        pal = b""
    else:
        stride = (width + 3) & ~3
        rows = [bytes([(x + y * width) % 256 for x in range(width)]) + bytes(stride - width) for y in range(height)]
        pal = bytes(c for (r, g, b) in palette() for c in (b, g, r, 0))
    pixels = b"".join(rows)
    offset = 14 + 40 + len(pal)
    header = b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(pixels), 2835, 2835,
                       256 if bits == 8 else 0, 0)
    with open(path(name), "wb") as f:
        f.write(header + info + pal + pixels)


def write_jpeg(name, width, height):
    img = Image.new("RGB", (width, height))
    img.putdata([((x * 8) % 256, (y * 8) % 256, ((x + y) * 4) % 256) for y in range(height) for x in range(width)])
    img.save(path(name), quality=90)


def compare(name, key_index=None):
    out = path(name + ".png")
    run("image", path(name), "-o", out)
    ours = Image.open(out)
    theirs = Image.open(path(name))
    if ours.size != theirs.size:
        sys.exit(f"{name}: size {ours.size}, the independent decoder says {theirs.size}")
    if ours.mode == "RGBA" and theirs.mode in ("RGBA", "LA"):
        if list(ours.getdata()) != list(theirs.convert("RGBA").getdata()):
            sys.exit(f"{name}: RGBA pixels differ")
        return
    ours_rgb = list(ours.convert("RGB").getdata())
    theirs_rgb = list(theirs.convert("RGB").getdata())
    if ours_rgb != theirs_rgb:
        bad = next(i for i, (a, b) in enumerate(zip(ours_rgb, theirs_rgb)) if a != b)
        sys.exit(f"{name}: pixel {bad % ours.size[0]},{bad // ours.size[0]} is {ours_rgb[bad]}, "
                 f"the independent decoder says {theirs_rgb[bad]}")
    if key_index is not None:
        if ours.mode != "RGBA":
            sys.exit(f"{name}: expected alpha for the transparent index")
        key = palette()[key_index]
        for rgb, (_, _, _, a) in zip(ours_rgb, ours.getdata()):
            if a != (0 if rgb == key else 255):
                sys.exit(f"{name}: alpha {a} for colour {rgb}")
    elif ours.mode != "RGB":
        sys.exit(f"{name}: unexpected mode {ours.mode}")


def check_images():
    write_pcx("odd.pcx", 37, 9, 38)          # odd width, one byte of padding
    write_pcx("wide.pcx", 81, 5, 82)         # long runs split across counts
    write_tga("mapped.tga", 1, 13, 7, 8)
    write_tga("bottom24.tga", 2, 11, 6, 24)
    write_tga("top32.tga", 2, 11, 6, 32, top_left=True)
    write_tga("rle24.tga", 10, 19, 5, 24, rle=True)
    write_tga("rle32top.tga", 10, 19, 5, 32, top_left=True, rle=True)
    write_bmp("true.bmp", 5, 4, 24)
    write_bmp("mapped.bmp", 6, 3, 8)
    write_jpeg("photo.jpg", 33, 17)
    compare("odd.pcx", key_index=255)
    compare("wide.pcx", key_index=255)
    for name in ("mapped.tga", "bottom24.tga", "top32.tga", "rle24.tga", "rle32top.tga", "true.bmp",
                 "mapped.bmp", "photo.jpg"):
        compare(name)
    # Resized output is a power of two each way.
    run("image", path("odd.pcx"), "-o", path("odd-resized.png"), "--resize")
    if Image.open(path("odd-resized.png")).size != (32, 8):
        sys.exit("odd.pcx resized: expected 32 x 8")
    run("image", path("missing.pcx"), "-o", path("x.png"), expect=1)
    run("image", path("odd.pcx"), expect=2)


def write_pak(name, entries):
    data = bytearray(b"PACK" + bytes(8))
    directory = bytearray()
    for entry_name, content in entries:
        offset = len(data)
        data += content
        directory += entry_name.encode().ljust(56, b"\0") + struct.pack("<ii", offset, len(content))
    struct.pack_into("<ii", data, 4, len(data), len(directory))
    with open(path(name), "wb") as f:
        f.write(data + directory)


def check_pak():
    entries = [("players/male/tris.md2", b"IDP2"), ("players/male/weapon.md2", b"IDP2w"),
               ("MODELS/X.MD2", b"upper"), ("textures/e1/wall.wal", b"wal"), ("../escape.txt", b"evil")]
    write_pak("test.pak", entries)
    listed = run("pak", "list", path("test.pak")).splitlines()
    if [line.split("\t")[0] for line in listed] != [e[0] for e in entries]:
        sys.exit(f"pak list: {listed}")
    if listed[0].split("\t")[2] != "4":
        sys.exit(f"pak list: length column in {listed[0]!r}")
    tree = run("pak", "tree", path("test.pak")).splitlines()
    # Listed whatever the case of its name, as the engines find it.
    expected = ["MODELS", "  X  [MODELS/X.MD2]",
                "players", "  male  [players/male/tris.md2]", "    weapon  [players/male/weapon.md2]",
                "textures", "  e1", "    wall  [textures/e1/wall.wal]"]
    if tree != expected:
        sys.exit(f"pak tree: {tree}")
    out = path("extracted")
    shutil.rmtree(out, ignore_errors=True)
    run("pak", "extract", path("test.pak"), "PLAYERS/MALE/WEAPON.MD2", "-C", out)
    with open(os.path.join(out, "players/male/weapon.md2"), "rb") as f:
        if f.read() != b"IDP2w":
            sys.exit("pak extract: wrong bytes")
    # Extracting everything refuses the entry that would leave the directory.
    run("pak", "extract", path("test.pak"), "-C", out, expect=1)
    if os.path.exists(path("escape.txt")) or not os.path.exists(os.path.join(out, "textures/e1/wall.wal")):
        sys.exit("pak extract: wrong files written")
    run("pak", "extract", path("test.pak"), "no/such/entry", "-C", out, expect=1)
    with open(path("junk.pak"), "wb") as f:
        f.write(b"JUNK" + bytes(8))
    run("pak", "list", path("junk.pak"), expect=1)
    check_duplicates()


def check_duplicates():
    """A name stored twice is the pak's problem, and what is extracted is what a
    lookup of the name gives: the first."""
    write_pak("dup.pak", [("models/a/tris.md2", b"first"), ("Models/A/TRIS.MD2", b"second"), ("b.txt", b"b")])
    result = subprocess.run([CLI, "pak", "list", path("dup.pak")], capture_output=True, text=True)
    problem = f'{path("dup.pak")}: "Models/A/TRIS.MD2" is stored more than once; the first one is used.'
    if result.returncode != 0 or len(result.stdout.splitlines()) != 3 or problem not in result.stderr:
        sys.exit(f"pak list of duplicates: {result}")
    report = json.loads(run("info", path("dup.pak")))
    if report.get("problems") != [problem]:
        sys.exit(f"info of duplicates: {report}")
    tree = run("pak", "tree", path("dup.pak")).splitlines()
    if tree != ["models", "  a  [models/a/tris.md2]"]:
        sys.exit(f"pak tree of duplicates: {tree}")
    for names in ([], ["MODELS/A/TRIS.MD2"]):
        out = path("dup-extracted")
        shutil.rmtree(out, ignore_errors=True)
        written = run("pak", "extract", path("dup.pak"), *names, "-C", out).splitlines()
        if [os.path.relpath(w, out) for w in written] != ["models/a/tris.md2"] + (["b.txt"] if not names else []):
            sys.exit(f"pak extract of duplicates {names}: {written}")
        with open(os.path.join(out, "models/a/tris.md2"), "rb") as f:
            if f.read() != b"first":
                sys.exit(f"pak extract of duplicates {names}: not the entry a lookup gives")
        if os.path.exists(os.path.join(out, "Models")):
            sys.exit(f"pak extract of duplicates {names}: the hidden entry was written")


def check_info():
    write_tga("info32.tga", 2, 3, 2, 32)
    report = json.loads(run("info", path("info32.tga")))
    if report != {"kind": "image", "format": "tga", "width": 3, "height": 2, "has_alpha": True}:
        sys.exit(f"info image: {report}")
    write_pak("info.pak", [("a.pcx", b"x"), ("b.wal", b"y")])
    report = json.loads(run("info", path("info.pak")))
    if report != {"kind": "pak", "magic": "PACK", "entries": 2}:
        sys.exit(f"info pak: {report}")


SAMPLES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "samples")


def sample(name):
    with open(os.path.join(SAMPLES, name), "rb") as f:
        return f.read()


def write_wad3(name, textures):
    """A Half-Life WAD: mip textures of (name, width, height, index, palette)."""
    lumps = bytearray()
    directory = bytearray()
    for lump_name, width, height, index, colours in textures:
        offset = 12 + len(lumps)
        sizes = [width * height >> (2 * level) for level in range(4)]
        mip = lump_name.encode().ljust(16, b"\0") + struct.pack("<II", width, height)
        at = 40
        for size in sizes:
            mip += struct.pack("<I", at)
            at += size
        for size in sizes:
            mip += bytes([index]) * size
        mip += struct.pack("<H", len(colours)) + b"".join(bytes(c) for c in colours) + bytes(2)
        lumps += mip
        directory += struct.pack("<iiibbh", offset, len(mip), len(mip), 0x43, 0, 0)
        directory += lump_name.encode().ljust(16, b"\0")
    with open(path(name), "wb") as f:
        f.write(b"WAD3" + struct.pack("<ii", len(textures), 12 + len(lumps)) + lumps + directory)


def check_archives():
    banner, skin = sample("models/banner/tris.md2"), sample("models/banner/skin.pcx")
    # A pk3, one entry stored and one deflated, names in any case.
    with zipfile.ZipFile(path("models.pk3"), "w") as z:
        z.writestr("Samples/Models/Banner/tris.md2", banner, compress_type=zipfile.ZIP_DEFLATED)
        z.writestr("models/banner/skin.pcx", skin, compress_type=zipfile.ZIP_STORED)
    listed = [line.split("\t")[0] for line in run("pak", "list", path("models.pk3")).splitlines()]
    if listed != ["Samples/Models/Banner/tris.md2", "models/banner/skin.pcx"]:
        sys.exit(f"pak list of a pk3: {listed}")
    out = path("from-pk3")
    shutil.rmtree(out, ignore_errors=True)
    run("pak", "extract", path("models.pk3"), "samples/models/banner/TRIS.MD2", "-C", out)
    with open(os.path.join(out, "Samples/Models/Banner/tris.md2"), "rb") as f:
        if f.read() != banner:
            sys.exit("pak extract of a pk3: wrong bytes")
    if json.loads(run("info", path("models.pk3")))["kind"] != "zip":
        sys.exit("info of a pk3")
    run("render", "--fit", "--size", "64x48", path("models.pk3"), "samples/models/banner/tris.md2",
        "-o", path("from-pk3.png"))

    # A WAD3 picture: its lump name in the list, its own palette in the pixels.
    colours = [(i, 255 - i, 7) for i in range(256)]
    write_wad3("textures.wad", [("brick", 16, 8, 40, colours), ("{fence", 8, 8, 255, colours)])
    listed = [line.split("\t")[0] for line in run("pak", "list", path("textures.wad")).splitlines()]
    if listed != ["brick", "{fence"]:
        sys.exit(f"pak list of a WAD: {listed}")
    run("image", path("textures.wad"), "BRICK", "-o", path("brick.png"))
    picture = Image.open(path("brick.png")).convert("RGB")
    if picture.size != (16, 8) or picture.getpixel((3, 3)) != (40, 215, 7):
        sys.exit(f"image from a WAD: {picture.size} {picture.getpixel((3, 3))}")
    run("image", path("textures.wad"), "{fence", "-o", path("fence.png"))
    if Image.open(path("fence.png")).convert("RGBA").getpixel((1, 1))[3] != 0:
        sys.exit("a { picture keeps index 255 transparent")
    run("image", path("textures.wad"), "missing", "-o", path("x.png"), expect=1)

    # A game folder: pak1 over pak0 over loose files, a mod over the game.
    game = path("quake2")
    shutil.rmtree(game, ignore_errors=True)
    os.makedirs(os.path.join(game, "baseq2", "notes"))
    os.makedirs(os.path.join(game, "mymod"))
    # The banner names its skin "models/banner/skin.pcx": the model in pak0, its skin in pak1.
    write_pak("quake2/baseq2/pak0.pak", [("notes/who.txt", b"pak0"), ("samples/models/banner/tris.md2", banner)])
    write_pak("quake2/baseq2/pak1.pak", [("notes/who.txt", b"pak1"), ("models/banner/skin.pcx", skin)])
    with open(os.path.join(game, "baseq2", "notes", "who.txt"), "wb") as f:
        f.write(b"loose")
    with open(os.path.join(game, "mymod", "notes.txt"), "wb") as f:
        f.write(b"mod")
    report = json.loads(run("info", os.path.join(game, "baseq2")))
    stack = [os.path.basename(source["path"].rstrip("/")) for source in report["stack"]]
    if report["kind"] != "game" or report["game"] != "Quake 2" or stack != ["pak1.pak", "pak0.pak", "baseq2"]:
        sys.exit(f"info of a game folder: {report}")
    report = json.loads(run("info", os.path.join(game, "mymod")))
    if os.path.basename(report.get("mod", "")) != "mymod" or os.path.basename(report["stack"][0]["path"].rstrip("/")) != "mymod":
        sys.exit(f"info of a mod folder: {report}")
    out = path("from-game")
    shutil.rmtree(out, ignore_errors=True)
    run("pak", "extract", os.path.join(game, "mymod"), "notes/who.txt", "-C", out)
    with open(os.path.join(out, "notes/who.txt"), "rb") as f:
        if f.read() != b"pak1":
            sys.exit("pak extract of a game folder: not the entry that wins")
    for line in run("pak", "list", os.path.join(game, "baseq2")).splitlines():
        name, _, _, source = line.split("\t")
        if name == "notes/who.txt" and not source.endswith("pak1.pak"):
            sys.exit(f"pak list of a game folder: {line}")
    rendered = subprocess.run([CLI, "render", "--fit", "--size", "64x48", game, "samples/models/banner/tris.md2",
                               "-o", path("from-game.png")], capture_output=True, text=True, cwd=WORK)
    if rendered.returncode != 0 or rendered.stderr:
        sys.exit(f"render from a game folder: {rendered.returncode} {rendered.stderr}")
    run("export", game, "samples/models/banner/tris.md2", "-o", path("from-game.glb"))
    run("render", game, "samples/models/none.md2", "-o", path("x.png"), expect=1)


os.makedirs(WORK, exist_ok=True)
{"images": check_images, "pak": check_pak, "info": check_info, "archives": check_archives}[WHAT]()
print(f"{WHAT}: ok")
