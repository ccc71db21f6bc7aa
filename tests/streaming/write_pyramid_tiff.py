"""Writes a TIFF file with tifffile and beside it box_<i>.raw: boxes of its levels cut by numpy, with
np.pad(mode="edge") for the voxels beyond the level, in the samples Lumetrix holds (little-endian
uint16; float32 over the finite range of the coarsest level).

usage: write_pyramid_tiff.py FILE.tif RECIPE_JSON
RECIPE: kind ("ome-pyramid": OME-TIFF, 2 channels of uint16 in 64 x 64 tiles, two levels in SubIFDs;
"stripped": float32 pages in strips of 7 rows, no pyramid), shape ([c, z, y, x]), boxes (a list of
[level, c, t, x0, y0, z0, w, h, d]), damage (the first tile or strip of page 1 overwritten)."""
import json
import os
import sys

import numpy as np
import tifffile

out, recipe = sys.argv[1], json.loads(sys.argv[2])
c, z, y, x = np.ogrid[tuple(slice(0, n) for n in recipe["shape"])]
f = (z * 7 + c * 90 + y * 3 + x) % 251
if recipe["kind"] == "ome-pyramid":
    levels = [(f * 200).astype("<u2")]
    levels += [levels[0][..., ::2 ** k, ::2 ** k] for k in (1, 2)]
    with tifffile.TiffWriter(out, ome=True) as tif:
        tif.write(levels[0], subifds=2, tile=(64, 64), compression="zlib", photometric="minisblack",
                  metadata={"axes": "CZYX"})
        for level in levels[1:]:
            tif.write(level, subfiletype=1, tile=(64, 64), compression="zlib", photometric="minisblack")
else:
    levels = [(f / 4.0 - 10).astype("<f4")[0]]
    tifffile.imwrite(out, levels[0], rowsperstrip=7, photometric="minisblack", metadata=None)
    levels = [levels[0][None]]

if recipe.get("damage"):
    with tifffile.TiffFile(out) as tif:
        at = tif.pages[0].dataoffsets[0]
    with open(out, "r+b") as damaged:
        damaged.seek(at)
        damaged.write(b"\xff" * 16)

coarsest = levels[-1]
for i, (level, ch, tp, x0, y0, z0, w, h, d) in enumerate(recipe["boxes"]):
    a = levels[level][ch]
    if a.dtype == np.float32:
        lo, hi = float(coarsest[np.isfinite(coarsest)].min()), float(coarsest[np.isfinite(coarsest)].max())
        a = np.clip(np.floor((a.astype(np.float64) - lo) * 65535.0 / (hi - lo) + 0.5), 0, 65535).astype("<u2")
        with open(os.path.join(os.path.dirname(out), "box_range.txt"), "w") as range_file:
            range_file.write("%r %r" % (lo, hi))
    start, size = (z0, y0, x0), (d, h, w)
    pad = [(max(0, -s0), max(0, s0 + n - m)) for s0, n, m in zip(start, size, a.shape)]
    a = np.pad(a, pad, mode="edge")
    a[tuple(slice(s0 + p[0], s0 + p[0] + n) for s0, n, p in zip(start, size, pad))].tofile(
        os.path.join(os.path.dirname(out), "box_%d.raw" % i))
