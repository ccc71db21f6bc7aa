#!/usr/bin/python3
"""End-to-end checks of `lumetrix --render` on volumes written with tifffile, frames decoded with
FFmpeg: a sphere of voxels 0.5 x 0.5 x 2 is round from the side; two channels show in their hues;
--range dims a channel as computed.
usage: check_render_channels.py PROGRAM WORKDIR"""
import os, subprocess, sys

import numpy as np
import tifffile

program, work = sys.argv[1:3]
os.makedirs(work, exist_ok=True)
os.chdir(work)
# The program's settings and palettes of its own: window tests running beside this one change theirs.
ENV = dict(os.environ, XDG_CONFIG_HOME=os.path.abspath("config"), XDG_DATA_HOME=os.path.abspath("data"))
failures = []


def render(volume, out, *options):
    done = subprocess.run([program, "--render", volume, out, "--size", "200x200", *options],
                          env=ENV, capture_output=True, text=True)
    if done.returncode != 0:
        failures.append(f"{volume} {options}: exit {done.returncode} {done.stderr}")
        return np.zeros((200, 200, 3), int)
    raw = subprocess.run(["ffmpeg", "-v", "error", "-i", out, "-f", "rawvideo", "-pix_fmt", "rgb24", "-"],
                         capture_output=True, check=True).stdout
    return np.frombuffer(raw, np.uint8).reshape(200, 200, 3).astype(int)


# A ball of radius 10 um in 48 x 48 x 12 voxels of 0.5 x 0.5 x 2 um; without the voxel size the
# start scales draw it 0.83 times as deep as wide.
z, y, x = np.ogrid[0:12, 0:48, 0:48]
ball = (((x - 23.5) * 0.5) ** 2 + ((y - 23.5) * 0.5) ** 2 + ((z - 5.5) * 2) ** 2 <= 100) * 200
tifffile.imwrite("ball.tif", ball.astype(np.uint8), imagej=True, resolution=(2.0, 2.0),
                 metadata={"axes": "ZYX", "spacing": 2.0, "unit": "um"})
tifffile.imwrite("plain_ball.tif", ball.astype(np.uint8))
for volume, xrot, yrot, ratio in [("ball.tif", 90, 0, 1.0), ("ball.tif", 0, 90, 1.0), ("plain_ball.tif", 0, 90, 0.83)]:
    # The brightest voxel along each line: the ball is flat, its edges blur evenly about half way.
    level = render(volume, "side.bmp", "--xrot", str(xrot), "--yrot", str(yrot), "--mode", "max").max(axis=2)
    lit = level > level.max() / 2
    rows, cols = np.nonzero(lit.any(axis=1))[0], np.nonzero(lit.any(axis=0))[0]
    if len(rows) == 0:
        failures.append(f"{volume} at {xrot}, {yrot}: nothing drawn")
        continue
    width, height = cols[-1] - cols[0] + 1, rows[-1] - rows[0] + 1
    across = (width if yrot else height) / (height if yrot else width)  # depth against width
    if abs(across - ratio) > 0.08:  # 2 um texels across z spread a few per cent wider than 0.5 um ones
        failures.append(f"{volume} at {xrot}, {yrot}: {width} x {height} px, depth/width {across:.2f} not {ratio}")

# Channel 1 lights the left half, channel 2 the right half: green and magenta at start.
two = np.zeros((4, 2, 32, 32), np.uint16)
two[:, 0, :, :16] = 1000
two[:, 1, :, 16:] = 3000
two[0, :, 0, 0] = 0  # a few darker samples for the 0.35 % ends
tifffile.imwrite("two.tif", two, imagej=True, metadata={"axes": "ZCYX"})
frame = render("two.tif", "two.bmp")
left, right = frame[100, 60], frame[100, 140]
if not (left[1] > 100 and left[0] < 10 and left[2] < 10):
    failures.append(f"channel 1 shows {left}, not green")
if not (right[0] > 100 and right[2] > 100 and right[1] < 10 and abs(right[0] - right[2]) < 3):
    failures.append(f"channel 2 shows {right}, not magenta")
# Channel 1 starts at 0..1000 (half its samples are 0); over 0..4000 its 1000 shows at level 64 of 255.
dimmer = render("two.tif", "range.bmp", "--range", "1:0:4000")[100, 60]
if abs(dimmer[1] - left[1] * 64 / 255) > 3 or dimmer[0] > 3:
    failures.append(f"channel 1 over 0..4000 shows {dimmer}, not {left[1] * 64 / 255:.0f} green")
# One range per channel: channel 2 starts at 0..3000, over 0..6000 its 3000 shows at 128 of 255.
both = render("two.tif", "ranges.bmp", "--range", "1:0:4000", "--range", "2:0:6000")
if abs(both[100, 60, 1] - dimmer[1]) > 2 or abs(both[100, 140, 0] - right[0] * 128 / 255) > 3:
    failures.append(f"two ranges show {both[100, 60]} and {both[100, 140]}")
# Float and int16 files take --range in stored values: over -1.5..3.25 (int16 -1000..2000) and
# -1.5..8 (-1000..5000) their halves show as a uint16 file's 0 and 1000 over 0..1000 and 0..2000.
def halves(name, dtype, low, high):
    tifffile.imwrite(name, np.where(np.arange(32) < 16, low, high).astype(dtype) * np.ones((4, 32, 1), dtype))
    return name
want = [render(halves("u2.tif", "u2", 0, 1000), "u.bmp", "--range", f"1:0:{top}") for top in (1000, 2000)]
for dtype, low, high, wider in [("f4", -1.5, 3.25, 8.0), ("i2", -1000, 2000, 5000)]:
    for top, frame in zip((high, wider), want):
        got = render(halves(f"{dtype}.tif", dtype, low, high), "v.bmp", "--range", f"1:{low}:{top}")
        if got.max() < 100 or np.abs(got - frame).max() > 1:
            failures.append(f"{dtype} over {low}..{top} differs from uint16 by {np.abs(got - frame).max()}")
for bad in ["3:0:10", "1:10:10", "1:0"]:
    done = subprocess.run([program, "--render", "two.tif", "bad.bmp", "--range", bad], env=ENV, capture_output=True, text=True)
    if done.returncode != 2 or "--range" not in done.stderr:
        failures.append(f"--range {bad} gave exit {done.returncode}: {done.stderr}")
if failures:
    sys.exit("FAIL: " + "; ".join(failures))
