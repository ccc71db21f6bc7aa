#!/usr/bin/python3
"""pyramid_check.py write CASE OUT.tif: writes a test stack with tifffile.
pyramid_check.py check IN.tif FOLDER: every level of FOLDER, read by python3-zarr, against a numpy
halving of what tifffile reads from IN.tif; prints what differs and exits 1 when anything does."""
import json
import sys

import numpy as np
import tifffile


def write(case, path):
    rng = np.random.default_rng(7)
    ints = lambda shape, dtype: rng.integers(np.iinfo(dtype).min, np.iinfo(dtype).max + 1, shape, dtype=dtype)
    if case == "f32":  # deeper than two chunks; a NaN and an infinity stay out of the range
        data = rng.normal(100, 30, (150, 30, 40)).astype(np.float32)
        data[3, 4, 5], data[100, 7, 9] = np.nan, np.inf
        return tifffile.imwrite(path, data)
    if case.startswith("deep"):  # deepNNN: 64 x 64 x NNN
        return tifffile.imwrite(path, np.resize(np.arange(251, dtype=np.uint8), (int(case[4:]), 64, 64)))
    kwargs = {  # odd sides on every axis at some level; 0.5 µm pixels
        "u8_odd": dict(data=ints((45, 70, 130), np.uint8), resolution=(20000, 20000), resolutionunit="CENTIMETER"),
        "u16_ome": dict(data=ints((2, 2, 70, 80, 66), np.uint16), ome=True, metadata={
            "axes": "TCZYX", "PhysicalSizeX": 0.25, "PhysicalSizeY": 0.25, "PhysicalSizeZ": 1.5}),
        "u8_imagej": dict(data=ints((20, 3, 90, 100), np.uint8), imagej=True, resolution=(2.0, 2.0),
                          metadata={"axes": "ZCYX", "spacing": 2.0, "unit": "um"}),
        "i16": dict(data=ints((10, 33, 70), np.int16)),
    }[case]
    tifffile.imwrite(path, **kwargs)


def held(path):
    """The samples as the viewer holds them, as t, c, z, y, x, and (format, bits, offset, scale)."""
    with tifffile.TiffFile(path) as tif:
        data, axes = tif.series[0].asarray(), tif.series[0].axes.replace("I", "Z").replace("Q", "Z")
    for axis in "TCZYX":
        if axis not in axes:
            data, axes = data[np.newaxis], axis + axes
    data = np.transpose(data, [axes.index(a) for a in "TCZYX"])
    if data.dtype == np.float32:  # the finite range becomes 0..65535, rounded half up
        lo, hi = float(np.nanmin(data[np.isfinite(data)])), float(np.max(data[np.isfinite(data)]))
        with np.errstate(invalid="ignore"):  # the distance from lo in single precision, as the reader takes it
            scaled = np.floor((data - np.float32(lo)).astype(np.float64) * 65535.0 / (hi - lo) + 0.5)
        scaled = np.where(np.isfinite(data), np.clip(scaled, 0, 65535), np.where(data > 0, 65535, 0))
        return scaled.astype(np.uint16), ("float", 32, lo, (hi - lo) / 65535.0)
    if data.dtype == np.int16:
        return (data.astype(np.int32) + 32768).astype(np.uint16), ("signed", 16, -32768.0, 1.0)
    return data, ("unsigned", data.dtype.itemsize * 8, 0.0, 1.0)


def halve(a):
    """Mean of 2 x 2 x 2 blocks over the last three axes, an odd side's last voxel alone, half up."""
    pad = [(0, 0)] * (a.ndim - 3) + [(0, n % 2) for n in a.shape[-3:]]
    blocks = a.shape[:-3] + sum((((n + 1) // 2, 2) for n in a.shape[-3:]), ())
    sums = np.pad(a.astype(np.uint64), pad).reshape(blocks).sum(axis=(-5, -3, -1))
    counts = np.pad(np.ones(a.shape[-3:], np.uint64), pad[-3:]).reshape(blocks[-6:]).sum(axis=(-5, -3, -1))
    return ((sums + counts // 2) // counts).astype(a.dtype)


def check(path, folder):
    import zarr
    expected, values = held(path)
    attrs, group, problems = json.load(open(folder + "/.zattrs")), zarr.open_group(folder, mode="r"), []
    scales = [d["coordinateTransformations"][0]["scale"] for d in attrs["multiscales"][0]["datasets"]]
    for level in range(64):
        got = group[str(level)]
        if got.shape != expected.shape or got.dtype != expected.dtype or not np.array_equal(got[:], expected):
            problems.append(f"level {level}: {got.dtype} {got.shape} differs from {expected.dtype} {expected.shape}")
        if got.chunks != (1, 1) + tuple(min(64, n) for n in expected.shape[2:]) or not np.allclose(scales[level][2:], np.array(scales[0][2:]) * 2 ** level, rtol=1e-12):
            problems.append(f"level {level}: chunks {got.chunks}, scale {scales[level]} against {scales[0]}")
        if max(expected.shape[2:]) <= 64:
            break
        expected = halve(expected)
    if str(level + 1) in group or len(scales) != level + 1:
        problems.append(f"levels beyond {level}")
    v = attrs["lumetrix"]["values"]
    if (v["format"], v["bits"]) != values[:2] or not np.allclose((v["offset"], v["scale"]), values[2:], rtol=1e-6):
        problems.append(f"values {v}, expected {values}")
    print("\n".join(problems) or "same")
    return 1 if problems else 0


if __name__ == "__main__":
    if len(sys.argv) != 4 or sys.argv[1] not in ("write", "check"):
        raise SystemExit(__doc__)
    sys.exit(write(sys.argv[2], sys.argv[3]) if sys.argv[1] == "write" else check(sys.argv[2], sys.argv[3]))
