#!/usr/bin/python3
"""The view options of `lumetrix --render`: a bright volume (tifffile), cut and seen orthographically,
lights (Pillow) the outline of the voxels kept, worked out by hand; bad values exit 2 before any work.
usage: check_render_cuts.py PROGRAM WORKDIR"""
import math, os, subprocess, sys

import numpy as np
import tifffile
from PIL import Image

program, work = sys.argv[1:3]
os.makedirs(work, exist_ok=True)
os.chdir(work)
ENV = dict(os.environ, XDG_CONFIG_HOME=os.path.abspath("config"), XDG_DATA_HOME=os.path.abspath("data"))
tifffile.imwrite("bright.tif", np.full((16, 64, 64), 200, np.uint8))  # z, y, x
# The start view: PosZ -3, no turn, 400 x 400 pixels. Model x runs -1..1 over the 64 columns, model
# y 1..-1 over the 64 rows (row 0 on top, as in the picture, so rows go as columns do); the
# orthographic view shows +-3 tan(22.5 deg) of it across the 400 pixels.
HALF = 3 * math.tan(math.radians(22.5))
edge = lambda v: (-1 + 2 * v / 64) / HALF * 200 + 200  # of voxel v, in pixels
first, last = lambda v: math.ceil(edge(v) - 0.5), lambda v: math.floor(edge(v + 1) - 0.5)  # pixel centres over it
# The slice stacks cut their slices through the centres of the outermost voxels kept: their texture
# filtering would otherwise blend the voxels cut away into the edge.
first_c, last_c = lambda v: math.ceil(edge(v + 0.5) - 0.5), lambda v: math.floor(edge(v + 0.5) - 0.5)


def run(*args):
    return subprocess.run([program, *args], env=ENV, capture_output=True, text=True)


failures, CROP = [], ["--crop", "16,47,8,39,0,15"]
cases = [  # options, voxels kept as x0, x1, y0, y1, and whether a crop cuts slices at centres
    (["--mode", "volume", "--ortho", *CROP], (16, 47, 8, 39), False),
    (["--mode", "volume", "--ortho", "--quality", "0.25", *CROP], (16, 47, 8, 39), False),
    (["--mode", "additive", "--ortho", *CROP], (16, 47, 8, 39), True),
    (["--mode", "iso", "--ortho", "--crop", "0,63,0,63,3,9"], (0, 63, 0, 63), False),  # z: depth only
    (["--mode", "mip", "--ortho", "--clip", "1,0,0,31.5"], (0, 31, 0, 63), False),  # x > 31.5 cut away
    (["--ortho", "--clip", "0,1,0,15.5"], (0, 63, 0, 15), False),  # a plane between voxels: the slices cut there
]
for i, (options, (x0, x1, y0, y1), centred) in enumerate(cases):
    done = run("--render", "bright.tif", f"cut{i}.bmp", *options)
    if done.returncode != 0:
        failures.append(f"{options}: exit {done.returncode} {done.stderr}")
        continue
    lit = np.asarray(Image.open(f"cut{i}.bmp").convert("RGB")).astype(int).sum(axis=2) > 0
    ys, xs = np.nonzero(lit)
    want = (first_c(x0), last_c(x1), first_c(y0), last_c(y1)) if centred else (first(x0), last(x1), first(y0), last(y1))
    got = (xs.min(), xs.max(), ys.min(), ys.max()) if lit.any() else None
    if lit.shape != (400, 400) or got != want or not lit[want[2]:want[3] + 1, want[0]:want[1] + 1].all():
        failures.append(f"{options}: lit {lit.shape} x, y {got} instead of all of {want}")

# Bad values: exit 2 naming the option before the (missing) files are read, nothing written.
bad = [(["--mode", "brightest"], "--mode"), (["--mode"], "--mode"), (["--crop", "5,1,0,10,0,10"], "--crop"),
       (["--crop", "1,2,3"], "--crop"), (["--crop", "0,nan,0,1,0,1"], "--crop"), (["--crop", "-1,5,0,1,0,1"], "--crop"),
       (["--clip", "0,0,0,5"], "--clip"), (["--clip", "1,0,0"], "--clip"), (["--quality", "0"], "--quality"),
       (["--quality", "5"], "--quality"), (["--quality", "2x"], "--quality"), (["--range", "1:5:2"], "--range")]
for options, name in bad:
    for command in (["--render", "missing.tif", "bad.bmp"], ["--movie", "missing.lkf", "bad.mp4", "missing.tif"]):
        done = run(*command, *options)
        if done.returncode != 2 or name not in done.stderr:
            failures.append(f"{command[0]} {options}: exit {done.returncode}, {done.stderr!r}")
if os.path.exists("bad.bmp") or os.path.exists("bad.mp4"):
    failures.append("a bad option left a file")
if failures:
    sys.exit("FAIL: " + "; ".join(failures))
print(f"{len(cases) + len(bad)} passed, 0 failed")
