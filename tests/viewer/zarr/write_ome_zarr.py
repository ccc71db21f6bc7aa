"""Writes an OME-Zarr image (NGFF 0.4, Zarr format 2) with zarr and numcodecs, and beside it what
each level must open as: expected_<level>.raw, the planes in (t, c, z) order as Lumetrix stacks hold
them (uint8 or little-endian uint16; int16 shifted by 32768, float32 scaled over its finite range).

usage: write_ome_zarr.py FOLDER.zarr RECIPE_JSON
RECIPE: dtype ("u1", "u2", "i2", "f4", or with a byte order: ">u2"), axes ("zyx", "czyx", "tczyx"...), shape (per axis), chunks,
compressor ("none", "zstd", "zlib", "gzip", "blosc-<cname>[-noshuffle|-bitshuffle]"), levels,
separator ("." or "/"), drop (remove the first chunk of level 1), scale (x, y, z), unit, zhalve (levels
halve z too), trim (the last level loses one column: no whole factor), boxes (a list of [level, c, t, x0, y0,
z0, w, h, d]: box_<i>.raw is that box of the level cut by numpy with np.pad(mode="edge") for the voxels
beyond the level, float32 mapped into 16 bits over the finite range of the coarsest level not trimmed),
streamed (expected_<level>.raw maps float32 over the coarsest level's range, as a streamed level's)."""
import json
import os
import sys

import numcodecs
import numpy as np
import zarr

out, recipe = sys.argv[1], json.loads(sys.argv[2])
axes = recipe["axes"]
grids = np.ogrid[tuple(slice(0, n) for n in recipe["shape"])]
place = {a: grids[i] for i, a in enumerate(axes)}
zero = np.zeros((1,) * len(axes), dtype=np.int64)
t, c, z, y, x = (place.get(a, zero) for a in "tczyx")
f = (t * 50 + z * 7 + c * 90 + y * 3 + x) % 251
data = {"u1": lambda: f, "u2": lambda: f * 200, "i2": lambda: f * 200 - 20000,
        "f4": lambda: f / 4.0 - 10}[recipe["dtype"][-2:]]().astype(recipe["dtype"])  # ">u2": big-endian

name = recipe.get("compressor", "none")
if name == "none":
    compressor = None
elif name.startswith("blosc-"):
    parts = name.split("-")
    shuffle = {"noshuffle": numcodecs.Blosc.NOSHUFFLE, "bitshuffle": numcodecs.Blosc.BITSHUFFLE}.get(
        parts[2] if len(parts) > 2 else "", numcodecs.Blosc.SHUFFLE)
    compressor = numcodecs.Blosc(cname=parts[1], clevel=5, shuffle=shuffle)
else:
    compressor = {"zstd": numcodecs.Zstd(level=3), "zlib": numcodecs.Zlib(level=5),
                  "gzip": numcodecs.GZip(level=5)}[name]

units = {"x": recipe.get("unit"), "y": recipe.get("unit"), "z": recipe.get("zunit", recipe.get("unit"))}
root = zarr.open_group(out, mode="w")
datasets = []
for level in range(recipe.get("levels", 1)):
    # Each level halves x and y.
    step = tuple(2 ** level if a in "xy" or (a == "z" and recipe.get("zhalve")) else 1 for a in axes)
    level_data = data[tuple(slice(None, None, s) for s in step)]
    if recipe.get("trim") and level == recipe.get("levels", 1) - 1:
        level_data = level_data[..., :-1]
    root.create_dataset(str(level), data=level_data, chunks=recipe["chunks"], compressor=compressor,
                        dimension_separator=recipe.get("separator", "."), fill_value=recipe.get("fill", 0))
    sx, sy, sz = recipe.get("scale", [1, 1, 1])
    scale = [{"x": sx * 2 ** level, "y": sy * 2 ** level, "z": sz}.get(a, 1.0) for a in axes]
    datasets.append({"path": str(level), "coordinateTransformations": [{"type": "scale", "scale": scale}]})
if recipe.get("drop"):
    os.remove(os.path.join(out, "0", recipe.get("separator", ".").join("0" * len(axes))))
root.attrs["multiscales"] = [{
    "version": "0.4", "name": "generated",
    "axes": [dict({"name": a, "type": {"t": "time", "c": "channel"}.get(a, "space")},
                  **({"unit": units[a]} if a in units and units[a] else {})) for a in axes],
    "datasets": datasets}]
if "c" in axes:  # channel k: label "ch<k>", colour 0x40 * (k + 1) in red, 0x20 in blue
    root.attrs["omero"] = {"channels": [{"label": "ch%d" % k, "color": "%02X00%02X" % (0x40 * (k + 1), 0x20)}
                                        for k in range(recipe["shape"][axes.index("c")])]}

# What each level opens as, read back through zarr (a removed chunk is its fill_value). A level
# streamed ("streamed": true) holds float32 samples over the coarsest level's range, as its bricks.
coarsest_level = zarr.open_array(os.path.join(out, str(recipe.get("levels", 1) - 1)), mode="r")[...]
for level in range(recipe.get("levels", 1)):
    a = zarr.open_array(os.path.join(out, str(level)), mode="r")[...]
    order = [axes.index(k) for k in "tczyx" if k in axes]
    a = np.transpose(a, order)
    finite = (coarsest_level if recipe.get("streamed") else a)
    finite = finite[np.isfinite(finite)]  # the stored values the held 0 and 65535 (or 255) stand for
    with open(os.path.join(os.path.dirname(out), "stored_%d.txt" % level), "w") as f:
        f.write("%r %r %s" % (float(finite.min()), float(finite.max()), a.dtype.name))
    if a.dtype == np.int16:
        a = (a.astype(np.int32) + 32768).astype("<u2")
    elif a.dtype == np.float32:
        lo, hi = float(finite.min()), float(finite.max())
        a = np.clip(np.floor((a.astype(np.float64) - lo) * 65535.0 / (hi - lo) + 0.5), 0, 65535).astype("<u2")
    else:
        a = a.astype(a.dtype.newbyteorder("<"))
    a.tofile(os.path.join(os.path.dirname(out), "expected_%d.raw" % level))

# Boxes of the held samples: every level in (t, c, z, y, x) order, float32 over the coarsest range.
levels = [zarr.open_array(os.path.join(out, str(level)), mode="r")[...] for level in range(recipe.get("levels", 1))]
coarsest = levels[-2 if recipe.get("trim") else -1]
for i, (level, ch, tp, x0, y0, z0, w, h, d) in enumerate(recipe.get("boxes", [])):
    a = np.transpose(levels[level], [axes.index(k) for k in "tczyx" if k in axes])
    a = a.reshape([a.shape[[k for k in "tczyx" if k in axes].index(k)] if k in axes else 1 for k in "tczyx"])[tp, ch]
    if a.dtype == np.int16:
        a = (a.astype(np.int32) + 32768).astype("<u2")
    elif a.dtype == np.float32:
        lo, hi = float(coarsest[np.isfinite(coarsest)].min()), float(coarsest[np.isfinite(coarsest)].max())
        a = np.clip(np.floor((a.astype(np.float64) - lo) * 65535.0 / (hi - lo) + 0.5), 0, 65535).astype("<u2")
        with open(os.path.join(os.path.dirname(out), "box_range.txt"), "w") as f:
            f.write("%r %r" % (lo, hi))
    else:
        a = a.astype(a.dtype.newbyteorder("<"))
    start, size = (z0, y0, x0), (d, h, w)
    pad = [(max(0, -s0), max(0, s0 + n - m)) for s0, n, m in zip(start, size, a.shape)]
    a = np.pad(a, pad, mode="edge")
    a = a[tuple(slice(s0 + p[0], s0 + p[0] + n) for s0, n, p in zip(start, size, pad))]
    a.tofile(os.path.join(os.path.dirname(out), "box_%d.raw" % i))
