#!/usr/bin/python3
"""End-to-end checks of `lumetrix --render` with --mode (the slice stacks' and the ray caster's),
--scalebar and --axes: the volumes are written with tifffile, the frames are decoded with FFmpeg.
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


def render(out, *options, volume="flat.tif"):
    done = subprocess.run([program, "--render", volume, out, "--size", "200x200", *options],
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
# --axes, unturned: a red x line and a green y line from (165, 35) (origin bottom left), 20 px long,
# that is along row 164 (or 165) of the frame from column 165 on, and up column 165 (or 164) from
# row 164 to 144; the z line points at the viewer and is a dot. Without --axes neither is there.
def lines(frame):
    def count(region, channel):
        others = [c for c in range(3) if c != channel]
        return int(((region[..., channel] > 200) & (region[..., others] < 60).all(axis=-1)).sum())
    return count(frame[160:169, 168:184], 0), count(frame[146:161, 162:169], 1)


rc, err = render("axes.bmp", "--axes")
if rc != 0:
    failures.append(f"--axes: exit {rc} {err}")
else:
    red, green = lines(pixels("axes.bmp").astype(int))
    if red < 14 or green < 13:
        failures.append(f"--axes: {red} red and {green} green line pixels instead of 16 and 15")
    if lines(pixels("frame0.bmp").astype(int)) != (0, 0):
        failures.append("axes drawn without --axes")
# Ray-cast modes on columns of known values, seen face on: four 32 x 32 quadrants, each constant
# across and with its values along the depth as below (plateaus of two pages or more, so that the
# interpolation between pages reaches them). A pixel is 0.5 (the view's colour) x the level.
columns = np.zeros((8, 64, 64), np.uint8)
columns[:, :32, :32] = np.array([10, 10, 200, 200, 200, 200, 10, 10])[:, None, None]  # top left
columns[:, :32, 32:] = 60                                                            # top right
columns[:, 32:, :32] = np.array([30] * 6 + [120] * 2)[:, None, None]                 # bottom left
tifffile.imwrite("columns.tif", columns)
centres = [(60, 60), (60, 140), (140, 60), (140, 140)]  # (row, column) of each quadrant's middle
column_of = [columns[:, :32, :32], columns[:, :32, 32:], columns[:, 32:, :32], columns[:, 32:, 32:]]
ray_cases = [  # mode, expected pixel per quadrant
    ("mip", [0.5 * c.max() for c in column_of]),
    ("minip", [0.5 * c.min() for c in column_of]),
    # The surface at the middle of the display range (127.5 of 0..255), unlit: the view's colour.
    ("iso", [127 if c.max() >= 127.5 else 0 for c in column_of]),
]
for mode, expected in ray_cases:
    rc, err = render(f"ray_{mode}.bmp", "--mode", mode, volume="columns.tif")
    if rc != 0:
        failures.append(f"{mode}: exit {rc} {err}")
        continue
    frame = pixels(f"ray_{mode}.bmp").astype(int)
    got = [frame[r, c, 0] for r, c in centres]
    if any(abs(g - e) > 2 for g, e in zip(got, expected)):
        failures.append(f"{mode}: quadrants {got} instead of {expected}")
rc, err = render("bad.bmp", "--mode", "brightest")
if rc != 2 or "additive" not in err:
    failures.append(f"an unknown mode gave exit {rc}: {err}")
if failures:
    sys.exit("FAIL: " + "; ".join(failures))
