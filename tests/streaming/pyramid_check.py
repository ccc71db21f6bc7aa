#!/usr/bin/python3
"""Writes the test stacks with tifffile, and checks a built pyramid against them.

  pyramid_check.py write CASE OUT.tif    the stack of a named case
  pyramid_check.py check IN.tif FOLDER   every level of FOLDER, read by python3-zarr, against a
                                         numpy halving of what tifffile reads from IN.tif
Prints what differs and exits 1 when anything does.
"""
import json
import sys

import numpy as np
import tifffile


def write(case, path):
    rng = np.random.default_rng(7)
    if case == "u8_odd":  # odd sides on every axis at some level
        data = rng.integers(0, 256, (45, 70, 130), dtype=np.uint8)
        tifffile.imwrite(path, data, resolution=(20000, 20000), resolutionunit="CENTIMETER")
    elif case == "u16_ome":  # two channels, two time points, deeper than a chunk
        data = rng.integers(0, 65536, (2, 2, 70, 80, 66), dtype=np.uint16)
        tifffile.imwrite(path, data, ome=True, metadata={"axes": "TCZYX", "PhysicalSizeX": 0.25, "PhysicalSizeY": 0.25,
                                                         "PhysicalSizeZ": 1.5})
    elif case == "f32":  # deeper than two chunks; a NaN and an infinity stay out of the range
        data = rng.normal(100, 30, (150, 30, 40)).astype(np.float32)
        data[3, 4, 5], data[100, 7, 9] = np.nan, np.inf
        tifffile.imwrite(path, data)
    elif case == "u8_imagej":  # channels interleaved with slices in page order
        data = rng.integers(0, 256, (20, 3, 90, 100), dtype=np.uint8)
        tifffile.imwrite(path, data, imagej=True, metadata={"axes": "ZCYX", "spacing": 2.0, "unit": "um"},
                         resolution=(2.0, 2.0))
    elif case == "i16":
        data = rng.integers(-32768, 32768, (10, 33, 70), dtype=np.int16)
        tifffile.imwrite(path, data)
    elif case.startswith("deep"):  # deepNNN: 64 x 64 x NNN of one value per slice
        depth = int(case[4:])
        data = (np.arange(depth, dtype=np.uint32) % 251).astype(np.uint8)[:, None, None] * np.ones((1, 64, 64), np.uint8)
        tifffile.imwrite(path, data)
    else:
        raise SystemExit("unknown case " + case)


def held(path):
    """The samples as the viewer holds them, as t, c, z, y, x, and their (format, offset, scale)."""
    with tifffile.TiffFile(path) as tif:
        series = tif.series[0]
        data = series.asarray()
        axes = series.axes.replace("I", "Z").replace("Q", "Z").replace("S", "C")
    for axis in "TCZYX":
        if axis not in axes:
            data, axes = data[np.newaxis], axis + axes
    data = np.transpose(data, [axes.index(a) for a in "TCZYX"])
    if data.dtype == np.float32:  # the finite range becomes 0..65535, rounded half up
        finite = data[np.isfinite(data)]
        lo, hi = float(finite.min()), float(finite.max())
        # The distance from the lowest value in single precision, as the TIFF reader takes it.
        with np.errstate(invalid="ignore"):
            above = (data - np.float32(lo)).astype(np.float64)
        scaled = np.floor(above * 65535.0 / (hi - lo) + 0.5)
        scaled = np.where(np.isfinite(data), np.clip(scaled, 0, 65535), np.where(data > 0, 65535, 0))
        return scaled.astype(np.uint16), ("float", 32, lo, (hi - lo) / 65535.0)
    if data.dtype == np.int16:
        return (data.astype(np.int32) + 32768).astype(np.uint16), ("signed", 16, -32768.0, 1.0)
    return data, ("unsigned", data.dtype.itemsize * 8, 0.0, 1.0)


def halve(a):
    """Mean of 2 x 2 x 2 blocks over the last three axes, an odd side's last voxel alone, half up."""
    shape = a.shape[:-3] + tuple((n + 1) // 2 for n in a.shape[-3:])
    pad = [(0, 0)] * (a.ndim - 3) + [(0, n % 2) for n in a.shape[-3:]]
    blocks = shape[:-3] + (shape[-3], 2, shape[-2], 2, shape[-1], 2)
    sums = np.pad(a.astype(np.uint64), pad).reshape(blocks).sum(axis=(-5, -3, -1))
    counts = np.pad(np.ones(a.shape[-3:], np.uint64), pad[-3:]).reshape(blocks[-6:]).sum(axis=(-5, -3, -1))
    return ((sums + counts // 2) // counts).astype(a.dtype)


def check(path, folder):
    import zarr
    expected, values = held(path)
    problems = []
    attrs = json.load(open(folder + "/.zattrs"))
    datasets = attrs["multiscales"][0]["datasets"]
    group = zarr.open_group(folder, mode="r")
    level = 0
    while True:
        got = group[str(level)][:]
        if got.dtype != expected.dtype or got.shape != expected.shape:
            problems.append(f"level {level}: {got.dtype} {got.shape}, expected {expected.dtype} {expected.shape}")
        elif not np.array_equal(got, expected):
            problems.append(f"level {level}: {np.count_nonzero(got != expected)} samples differ")
        chunks = group[str(level)].chunks
        if chunks != (1, 1) + tuple(min(64, n) for n in expected.shape[2:]):
            problems.append(f"level {level}: chunks {chunks}")
        scale = datasets[level]["coordinateTransformations"][0]["scale"]
        first = datasets[0]["coordinateTransformations"][0]["scale"]
        if not np.allclose(scale[2:], np.array(first[2:]) * 2 ** level, rtol=1e-12):
            problems.append(f"level {level}: scale {scale} against {first}")
        if max(expected.shape[2:]) <= 64:
            break
        expected = halve(expected)
        level += 1
    if str(level + 1) in group or len(datasets) != level + 1:
        problems.append(f"levels beyond {level}")
    block = attrs["lumetrix"]["values"]
    got_values = (block["format"], block["bits"], block["offset"], block["scale"])
    if got_values[:2] != values[:2] or not np.allclose(got_values[2:], values[2:], rtol=1e-6):
        problems.append(f"values {got_values}, expected {values}")
    print("\n".join(problems) or "same")
    return 1 if problems else 0


if __name__ == "__main__":
    if len(sys.argv) == 4 and sys.argv[1] == "write":
        write(sys.argv[2], sys.argv[3])
    elif len(sys.argv) == 4 and sys.argv[1] == "check":
        sys.exit(check(sys.argv[2], sys.argv[3]))
    else:
        raise SystemExit(__doc__)
