#!/usr/bin/python3
"""End-to-end checks of `lumetrix --render` with --mode and --scalebar: the volume is written with
tifffile, the frames are decoded with FFmpeg.
usage: check_render_modes.py PROGRAM WORKDIR"""
import os, subprocess, sys

import numpy as np
import tifffile

program, work = sys.argv[1:3]
os.makedirs(work, exist_ok=True)
os.chdir(work)
# The program's settings and palettes of its own: window tests running beside this one change theirs.
ENV = dict(os.environ, XDG_CONFIG_HOME=os.path.abspath("config"), XDG_DATA_HOME=os.path.abspath("data"))
# Ten pages of 200: adding them at 0.3 x colour 0.5 saturates, the maximum is 0.5 x 200.
tifffile.imwrite("flat.tif", np.full((10, 64, 64), 200, np.uint8))


def render(out, *options):
    done = subprocess.run([program, "--render", "flat.tif", out, "--size", "200x200", *options],
                          env=ENV, capture_output=True, text=True)
    return done.returncode, done.stderr


def pixels(path):
    raw = subprocess.run(["ffmpeg", "-v", "error", "-i", path, "-f", "rawvideo", "-pix_fmt", "rgb24", "-"],
                         capture_output=True, check=True).stdout
    return np.frombuffer(raw, np.uint8).reshape(200, 200, 3)


failures = []
cases = [  # options, centre value, white run on the bar's row
    ([], 255, 0),
    (["--mode", "additive"], 255, 0),
    (["--mode", "max"], 100, 0),
    (["--mode", "MAX", "--scalebar"], 100, 25),
]
for i, (options, centre, bar) in enumerate(cases):
    rc, err = render(f"frame{i}.bmp", *options)
    if rc != 0:
        failures.append(f"{options}: exit {rc} {err}")
        continue
    frame = pixels(f"frame{i}.bmp").astype(int)
    if abs(frame[100, 100, 0] - centre) > 2:
        failures.append(f"{options}: centre {frame[100, 100]} instead of {centre}")
    run = int((frame[188, :100] == 255).all(axis=1).sum())
    if abs(run - bar) > 1:
        failures.append(f"{options}: bar of {run} px instead of {bar}")
rc, err = render("bad.bmp", "--mode", "brightest")
if rc != 2 or "additive" not in err:
    failures.append(f"an unknown mode gave exit {rc}: {err}")
if failures:
    sys.exit("FAIL: " + "; ".join(failures))
