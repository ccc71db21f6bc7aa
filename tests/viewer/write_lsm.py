#!/usr/bin/python3
"""Writes a Zeiss LSM file with tifffile and the published CZ_LSMINFO layout (tag 34412 on the
first page): channels as samples in planar order, Z fastest then time, an RGB thumbnail
(NewSubfileType 1) after every page. Sample (t, z, c, y, x) is ((t*50 + z*7 + c*90 + y*3 + x) % 251),
times 211 at 16 bits. usage: write_lsm.py OUT JSON (width, height, z, c, t, bits, voxel in metres,
colours, names, old_bits; damage: dims for X Y Z C T, magic, info_at, colours_at)"""
import json, struct, sys

import numpy as np
import tifffile

out, recipe = sys.argv[1], json.loads(sys.argv[2])
W, H, Z, C, T = (recipe[k] for k in ("width", "height", "z", "c", "t"))
t, z, c, y, x = np.ogrid[0:T, 0:Z, 0:C, 0:H, 0:W]
data = ((t * 50 + z * 7 + c * 90 + y * 3 + x) % 251 * (211 if recipe.get("bits") == 16 else 1)).astype(
    "u2" if recipe.get("bits") == 16 else "u1")
info = bytearray(512)  # MagicNumber, StructureSize, DimensionX, Y, Z, Channels, Time; VoxelSizeX, Y, Z at 40
struct.pack_into("<Ii5i", info, 0, recipe.get("magic", 0x0400494C), 512, *recipe.get("dims", [W, H, Z, C, T]))
struct.pack_into("<3d", info, 40, *recipe.get("voxel", [0, 0, 0]))
with tifffile.TiffWriter(out) as w:
    for i, plane in enumerate(data.reshape(T * Z, C, H, W)):
        w.write(plane if C > 1 else plane[0], photometric="minisblack", planarconfig="separate" if C > 1 else None,
                contiguous=False, metadata=None, extratags=[] if i else [(34412, "B", 512, bytes(info), True)])
        w.write(np.full((4, 4, 3), 128, "u1"), photometric="rgb", subfiletype=1, contiguous=False, metadata=None)
blob = bytearray(open(out, "rb").read())
at = blob.index(info[:8])  # where tifffile put the structure
if "colours" in recipe:  # OffsetChannelColors (108): size, counts, offsets of colours and names, mono
    names = b"".join(struct.pack("<I", len(n) + 1) + n.encode() + b"\0" for n in recipe["names"])
    n = len(recipe["colours"])
    struct.pack_into("<I", blob, at + 108, recipe.get("colours_at", len(blob)))
    blob += struct.pack("<6I", 24 + 4 * n + len(names), n, n, 24, 24 + 4 * n, 0)
    blob += bytes(v for rgb in recipe["colours"] for v in (*rgb, 0)) + names
at = struct.unpack_from("<I", blob, 4)[0]
while recipe.get("old_bits") and at:  # as old writers: BitsPerSample's two values at an offset of their own
    n = struct.unpack_from("<H", blob, at)[0]
    for e in range(at + 2, at + 2 + 12 * n, 12):
        if struct.unpack_from("<HHI", blob, e) == (258, 3, 2):
            blob += blob[e + 8:e + 12]
            blob[e + 8:e + 12] = struct.pack("<I", len(blob) - 4)
    at = struct.unpack_from("<I", blob, at + 2 + 12 * n)[0]
if "info_at" in recipe:
    entry = blob.index(struct.pack("<HHI", 34412, 1, 512))
    struct.pack_into("<I", blob, entry + 8, recipe["info_at"])
open(out, "wb").write(blob)
