#!/usr/bin/env python3
"""Runs "marovin-cli animate" as a user does and reads every moving picture it
writes with Pillow, a decoder that shares no code with ours: frame counts, sizes,
delays, the loop, transparency, and the first frame against the still "render" of
the same camera.

usage: cli_animate_check.py MAROVIN_CLI SAMPLES_DIR WORK_DIR
"""
import os
import shutil
import subprocess
import sys

from PIL import Image, ImageChops, ImageStat

CLI, SAMPLES, WORK = sys.argv[1], sys.argv[2], sys.argv[3]
BANNER = os.path.join(SAMPLES, "models", "banner", "tris.md2")  # 18 frames in "<all>", 8 in "idle"
FIGURE = os.path.join(SAMPLES, "models", "figure", "figure.mdl")  # studio model: "idle" 20 frames at 30 a second
failures = []


def run(*args, expect=0):
    result = subprocess.run([CLI, *args], capture_output=True, text=True)
    if result.returncode != expect:
        sys.exit(f"marovin-cli {' '.join(args)} exited {result.returncode}, expected {expect}\n"
                 f"{result.stdout}{result.stderr}")
    return result.stderr


def out(name):
    return os.path.join(WORK, name)


def check(condition, text):
    if not condition:
        failures.append(text)


def frames_of(path):
    """(size, loop, [(duration, RGBA image)]) as Pillow decodes them."""
    image = Image.open(path)
    frames = []
    for k in range(getattr(image, "n_frames", 1)):
        image.seek(k)
        frames.append((image.info.get("duration"), image.convert("RGBA")))
    return image.size, image.info.get("loop"), frames


def mean_difference(a, b):
    return sum(ImageStat.Stat(ImageChops.difference(a.convert("RGB"), b.convert("RGB"))).mean) / 3


shutil.rmtree(WORK, ignore_errors=True)
os.makedirs(WORK)

# A turntable in every format, beside the still picture of its first angle.
run("render", BANNER, "--fit", "--size", "160x120", "-o", out("still.png"))
still = Image.open(out("still.png")).convert("RGBA")
turn = ["--fit", "--turntable", "360", "--frames", "8", "--fps", "20", "--size", "160x120"]
run("animate", BANNER, *turn, "-o", out("turn.gif"))
run("animate", BANNER, *turn, "-o", out("turn.webp"))
run("animate", BANNER, *turn, "-o", out("turn.png"))
run("animate", BANNER, *turn, "-o", out("turn_%03d.png"))
for name, bound in (("turn.gif", 6.0), ("turn.webp", 0.0), ("turn.png", 0.0)):
    size, loop, frames = frames_of(out(name))
    check(size == (160, 120), f"{name}: size {size}")
    check(loop == 0, f"{name}: loop {loop}, expected 0 (for ever)")
    check(len(frames) == 8, f"{name}: {len(frames)} frames, expected 8")
    # Pillow gives WebP's first frame no duration; every other frame shows 50 ms.
    durations = [d for d, _ in frames][1 if name.endswith(".webp") else 0:]
    check(all(d == 50 for d in durations), f"{name}: delays {durations}, expected 50 ms each")
    check(mean_difference(frames[0][1], still) <= bound,
          f"{name}: frame 0 differs from the still picture by {mean_difference(frames[0][1], still):.2f}")
    # Half a turn later the flag shows its back: the frames really turn.
    check(mean_difference(frames[4][1], frames[0][1]) > 1.0, f"{name}: frame 4 looks like frame 0")
sequence = sorted(f for f in os.listdir(WORK) if f.startswith("turn_"))
check(sequence == [f"turn_{k:03d}.png" for k in range(8)], f"numbered frames: {sequence}")
check(ImageChops.difference(Image.open(out("turn_000.png")).convert("RGBA"), still).getbbox() is None,
      "turn_000.png differs from the still picture")

# Transparency: the background is the GIF's transparent index, alpha 0 in WebP and APNG.
for name in ("clear.gif", "clear.webp", "clear.apng"):
    run("animate", BANNER, *turn, "--transparent", "-o", out(name))
    _, _, frames = frames_of(out(name))
    corners = [frame.getpixel((0, 0))[3] for _, frame in frames]
    check(corners == [0] * 8, f"{name}: corner alpha {corners}, expected 0 in every frame")
    check(max(frame.getpixel((80, 40))[3] for _, frame in frames) == 255, f"{name}: the model is not opaque")
check("transparency" in Image.open(out("clear.gif")).info, "clear.gif has no transparent index")

# One loop of an animation at the model's own rate: the banner's 8 idle frames at
# 10 a second, and the studio model's idle sequence (19 steps, its last frame
# is its first) at its 30 a second.
run("animate", BANNER, "--animation", "idle", "--size", "96x96", "-o", out("idle.gif"))
_, _, frames = frames_of(out("idle.gif"))
check(len(frames) == 8 and all(d == 100 for d, _ in frames), f"idle.gif: {[d for d, _ in frames]}")
run("animate", BANNER, "--animation", "idle", "--fps", "20", "--size", "96x96", "-o", out("idle20.apng"))
_, _, frames = frames_of(out("idle20.apng"))
check(len(frames) == 16, f"idle20.apng: {len(frames)} frames, expected 16 (8 frames, blended halfway)")
check(mean_difference(frames[1][1], frames[0][1]) > 0.0, "idle20.apng: the blended frame is not between")
run("animate", FIGURE, "--animation", "idle", "--fps", "30", "--size", "96x96", "-o", out("figure.apng"))
_, _, frames = frames_of(out("figure.apng"))
durations = [d for d, _ in frames]
check(len(frames) == 19, f"figure.apng: {len(frames)} frames, expected 19")
check(sorted(set(durations)) == [33, 34] and sum(durations) == 633,
      f"figure.apng: delays {durations} do not add up to the loop's 633 ms")
run("animate", FIGURE, "--turntable", "90", "--animation", "walk", "--frames", "5", "--size", "96x96",
    "-o", out("both.gif"))
check(Image.open(out("both.gif")).n_frames == 5, "both.gif: expected 5 frames")

# Failures: nothing written, and a file that was there stays as it was.
with open(out("keep.gif"), "wb") as f:
    f.write(b"old")
err = run("animate", BANNER, "--animation", "nosuch", "-o", out("keep.gif"), expect=1)
check(open(out("keep.gif"), "rb").read() == b"old", "a failed run changed keep.gif")
run("animate", BANNER, "-o", out("x.bmp"), expect=2)
run("animate", BANNER, "--fps", "0", "-o", out("x.gif"), expect=2)
err = run("animate", BANNER, "-o", out("x.gif"), "-o", os.path.join(WORK, "no", "such", "x.gif"), expect=1)
check("cannot write" in err, f"a missing folder was not reported: {err}")
if shutil.which("ffmpeg") is None:
    err = run("animate", BANNER, "-o", out("turn.mp4"), expect=1)
    check("install ffmpeg" in err, f"the missing ffmpeg was not named: {err}")
    check(not os.path.exists(out("turn.mp4")), "turn.mp4 written without ffmpeg")
elif shutil.which("ffprobe") is not None:
    for name in ("turn.mp4", "turn.webm"):
        run("animate", BANNER, *turn, "-o", out(name))
        probe = subprocess.run(["ffprobe", "-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                                "stream=nb_read_frames,width,height", "-of", "csv=p=0", out(name)],
                               capture_output=True, text=True).stdout.strip()
        check(probe.split(",")[-1] == "8", f"{name}: ffprobe says {probe}")
leftovers = [f for f in os.listdir(WORK) if f.endswith(".tmp")]
check(not leftovers, f"temporary files left behind: {leftovers}")

if failures:
    sys.exit("\n".join(failures))
print("ok")
