#!/usr/bin/python3
"""Volumes larger than memory through the program itself: an OME-Zarr pyramid written by Debian's
python3-zarr, drawn streamed under --memory against the same pyramid read whole; resident memory
(the kernel's peak for the child) of a 1024^3 pyramid under a 64 MB budget; --memory checked.
usage: check_streaming.py PROGRAM WORKDIR CASE"""
import os, subprocess, sys, tempfile

import numcodecs
import numpy as np
import zarr
from PIL import Image

program, work, case = sys.argv[1:4]
os.makedirs(work, exist_ok=True)
os.chdir(work)
ENV = dict(os.environ, XDG_CONFIG_HOME=os.path.abspath("config"), XDG_DATA_HOME=os.path.abspath("data"))
failures = []


def pyramid(name, n, levels, fill):
    """A zyx uint8 pyramid of n^3 voxels, 64^3 chunks, each level the one before taken every other
    voxel; fill(level array, step) writes the data."""
    root = zarr.open_group(name, mode="w")
    datasets = []
    for level in range(levels):
        step = 2 ** level
        m = (n + step - 1) // step
        a = root.create_dataset(str(level), shape=(m, m, m), chunks=(64, 64, 64), dtype="u1",
                                compressor=numcodecs.Zstd(level=1), fill_value=0)
        fill(a, step)
        datasets.append({"path": str(level), "coordinateTransformations": [{"type": "scale", "scale": [step] * 3}]})
    root.attrs["multiscales"] = [{"version": "0.4", "axes": [{"name": a, "type": "space"} for a in "zyx"],
                                  "datasets": datasets}]


def run(args):
    """Runs the program; returns its exit code, standard error and peak resident memory in KB.
    GNU time starts it: a process started straight from this one would inherit this one's peak."""
    with tempfile.NamedTemporaryFile("r", dir=".", suffix=".rss") as peak:
        done = subprocess.run(["/usr/bin/time", "-q", "-f", "%M", "-o", peak.name, program] + args, env=ENV,
                              capture_output=True, text=True)
        text = peak.read().strip()
    return done.returncode, done.stderr, int(text) if text.isdigit() else 0


def frame(name):
    return np.asarray(Image.open(name).convert("RGB")).astype(int)


VIEW = ["--mode", "mip", "--xrot", "20", "--yrot", "30", "--size", "300x300"]

if case == "equal":
    # A textured ball: a brick misplaced by a voxel changes the picture by tens of levels.
    n = 256
    z, y, x = np.ogrid[0:n, 0:n, 0:n]
    r2 = ((x - 100) ** 2 + (y - 90) ** 2 + (z - 110) ** 2) / 70.0 ** 2
    data = (20 + 200 * np.exp(-2 * r2) * (0.6 + 0.4 * np.sin(x * 0.7) * np.cos(y * 0.5))).astype(np.uint8)

    def dense(a, step):
        a[...] = data[::step, ::step, ::step]

    pyramid("ball.zarr", n, 3, dense)
    # Level 1 of 3 (16 MB) needs more than the host half of 24 MB: streamed, with level 2 (128^3)
    # in memory. The crop keeps a corner of 2 x 2 x 2 bricks, which the budget holds at full
    # detail; its limits count voxels of the file, whichever level is in memory.
    crop = ["--crop", "0,127,0,127,0,127"]
    code, err, _ = run(["--render", "ball.zarr", "whole.bmp"] + crop + VIEW)
    if code != 0:
        failures.append(f"read whole: exit {code}: {err}")
    for out in ("streamed.bmp", "again.bmp"):
        code, err, _ = run(["--render", "ball.zarr", out, "--memory", "24"] + crop + VIEW)
        if code != 0:
            failures.append(f"streamed: exit {code}: {err}")
        if "level 2 of 3 (128x128x128) in memory" not in err:
            failures.append(f"streamed: no note of the level in memory: {err!r}")
        if "no finer bricks" in err:
            failures.append(f"streamed: the budget should hold this view's bricks: {err!r}")
    if not failures:
        whole, streamed = frame("whole.bmp"), frame("streamed.bmp")
        diff = np.abs(whole - streamed)
        if diff.max() > 0 or whole.max() < 80:
            failures.append(f"streamed frame differs from the whole one in {(diff > 0).sum()} bytes, by up to "
                            f"{diff.max()} (brightest {whole.max()})")
        if not np.array_equal(streamed, frame("again.bmp")):
            failures.append("two streamed runs drew different frames")
    # A pyramidal OME-TIFF (SubIFDs halving x and y, z kept): the level in memory is averaged down
    # in z too, so that the streamed volume keeps the file's proportions.
    import tifffile
    with tifffile.TiffWriter("pyramid.ome.tif", ome=True) as tif:
        tif.write(data, subifds=2, tile=(64, 64), metadata={"axes": "ZYX"})
        for k in (1, 2):
            tif.write(data[:, ::2 ** k, ::2 ** k], subfiletype=1, tile=(64, 64))
    code, err, _ = run(["--render", "pyramid.ome.tif", "tiff_whole.bmp"] + crop + VIEW)
    code, err, _ = run(["--render", "pyramid.ome.tif", "tiff_streamed.bmp", "--memory", "16"] + crop + VIEW)
    if code != 0 or "level 2 of 3 (128x128x128) in memory" not in err:
        failures.append(f"pyramidal TIFF: exit {code}: {err!r}")
    elif not np.array_equal(frame("tiff_whole.bmp"), frame("tiff_streamed.bmp")):
        failures.append("the streamed pyramidal TIFF's frame differs from the one read whole")

elif case == "budget":
    # 1024^3 voxels (1 GB), sparse: a bright ball in the middle, the other chunks never written.
    def ball(a, step):
        q, w = 384 // step, 256 // step
        zz, yy, xx = np.ogrid[0:w, 0:w, 0:w]
        a[q:q + w, q:q + w, q:q + w] = (40 + 200 * np.exp(-((xx - w / 2) ** 2 + (yy - w / 2) ** 2 + (zz - w / 2) ** 2)
                                                         / (w / 3) ** 2)).astype(np.uint8)

    pyramid("big.zarr", 1024, 5, ball)
    # Under AddressSanitizer (./test.sh --asan) freed memory waits in its quarantine instead of
    # being used again, which is no memory the program holds; other builds ignore the setting.
    ENV["ASAN_OPTIONS"] = ":".join(filter(None, [ENV.get("ASAN_OPTIONS"), "quarantine_size_mb=0"]))
    import tifffile
    tifffile.imwrite("tiny.tif", np.zeros((4, 8, 8), np.uint8))
    code, err, base_kb = run(["--render", "tiny.tif", "tiny.bmp"] + VIEW)  # the program's own footprint
    code, err, peak_kb = run(["--render", "big.zarr", "big.bmp", "--memory", "64"] + VIEW)
    if code != 0:
        failures.append(f"exit {code}: {err}")
    if "the memory budget holds no finer bricks for this view" not in err:
        failures.append(f"standard error does not say the budget lowered the detail: {err!r}")
    # Budget 64 MB (decoded chunks and bricks in host memory, the atlas); the level read whole
    # (256^3, 16 MB) with its shown copy and the ray caster's prepared copy: 48 MB; 40 MB for the
    # allocator, the loader threads' bricks in flight and the driver's buffers of a larger frame.
    extra_mb = (peak_kb - base_kb) / 1024
    print(f"resident memory: {extra_mb:.0f} MB over the program's own")
    if extra_mb > 64 + 48 + 40:
        failures.append(f"resident memory rose by {extra_mb:.0f} MB over the program's own, beyond the budget")
    # The ball as a larger budget shows it in more detail: as bright (its peak is a broad maximum).
    code, err, _ = run(["--render", "big.zarr", "fine.bmp", "--memory", "512"] + VIEW)
    coarse, fine = frame("big.bmp").max(), frame("fine.bmp").max() if code == 0 else 0
    if fine < 60 or abs(coarse - fine) > 0.1 * fine:
        failures.append(f"the ball shows {coarse} under 64 MB, {fine} under 512 MB")

elif case == "cache":
    # A TIFF stack without a pyramid (16 MB): under --memory 16 its pyramid is built once into the
    # cache folder and streamed; a changed file gets a new one; a cache folder that cannot be made
    # leaves the stack read whole, with the reason.
    import tifffile

    def stack(bright):
        z, y, x = np.ogrid[0:64, 0:512, 0:512]
        r2 = ((x - 100) ** 2 + (y - 90) ** 2 + ((z - 30) * 4) ** 2) / 70.0 ** 2
        return (20 + bright * np.exp(-2 * r2) * (0.6 + 0.4 * np.sin(x * 0.7) * np.cos(y * 0.5))).astype(np.uint8)

    tifffile.imwrite("flat.tif", stack(200))
    cache = os.path.abspath("cache")
    ENV["XDG_CACHE_HOME"] = cache
    # Crop limits count voxels of the file, streamed (256 x 256 x 32 in memory) or read whole.
    streamed_crop = whole_crop = ["--crop", "0,127,0,127,0,63"]
    code, err, _ = run(["--render", "flat.tif", "whole.bmp"] + VIEW + whole_crop)
    code, err, _ = run(["--render", "flat.tif", "streamed.bmp", "--memory", "16"] + VIEW + streamed_crop)
    entries = [os.path.join(cache, "lumetrix", "pyramids", e) for e in os.listdir(os.path.join(cache, "lumetrix", "pyramids"))]
    if code != 0 or "level 2 of 4 (256x256x32) in memory" not in err or len(entries) != 1:
        failures.append(f"streamed through the cache: exit {code}, entries {entries}: {err!r}")
    elif not np.array_equal(frame("whole.bmp"), frame("streamed.bmp")):
        failures.append("the frame from the built pyramid differs from the stack read whole")
    else:
        built = os.stat(os.path.join(entries[0], ".zattrs")).st_mtime_ns
        run(["--render", "flat.tif", "again.bmp", "--memory", "16"] + VIEW + streamed_crop)
        if os.stat(os.path.join(entries[0], ".zattrs")).st_mtime_ns != built:
            failures.append("the pyramid was built again for an unchanged file")
        # The same size, other samples, a later modification time: the old pyramid is stale.
        tifffile.imwrite("flat.tif", stack(100))
        os.utime("flat.tif", ns=(built + 10 ** 10, built + 10 ** 10))
        run(["--render", "flat.tif", "changed.bmp", "--memory", "16"] + VIEW + streamed_crop)
        if frame("changed.bmp").max() >= frame("again.bmp").max() - 20:
            failures.append("a changed file was drawn from its old pyramid")
    blocked = os.path.abspath("blocked")
    os.makedirs(blocked, exist_ok=True)
    open(os.path.join(blocked, "lumetrix"), "w").close()  # a file where the cache folder should be
    ENV["XDG_CACHE_HOME"] = blocked
    code, err, _ = run(["--render", "flat.tif", "memory.bmp", "--memory", "16"] + VIEW + whole_crop)
    if code != 0 or "cannot be kept in" not in err or "it is shown from memory" not in err:
        failures.append(f"blocked cache folder: exit {code}: {err!r}")

elif case == "options":
    pyramid("small.zarr", 64, 1, lambda a, step: a.__setitem__(Ellipsis, 9))
    for value in ("0", "abc", "99999999999", "-5", "1.5"):
        code, err, _ = run(["--render", "small.zarr", "x.bmp", "--memory", value])
        if code != 2 or "whole number of megabytes" not in err or os.path.exists("x.bmp"):
            failures.append(f"--memory {value}: exit {code}, {err!r}")
    code, out_err, _ = run(["--info", "small.zarr", "--memory", "64"])
    if code != 0:
        failures.append(f"--info with --memory: exit {code}: {out_err}")

for f in failures:
    print(f)
sys.exit(1 if failures else 0)
