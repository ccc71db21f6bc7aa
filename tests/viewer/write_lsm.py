#!/usr/bin/python3
"""Writes a Zeiss LSM file by hand from the published CZ_LSMINFO layout: a classic little-endian
TIFF whose pages hold the channels as samples in planar order, Z fastest then time, each followed
by an RGB thumbnail (NewSubfileType 1); tag 34412 on the first page points at the structure.
Sample (t, z, c, y, x) is ((t*50 + z*7 + c*90 + y*3 + x) % 251) * scale.
usage: write_lsm.py OUT JSON  with keys width, height, z, c, t, bits, voxel (metres),
colours ([[r, g, b], ...]), names, and for damaged files: dims (overrides of X, Y, Z, C, T),
info_at (where tag 34412 points), colours_at, magic.
Valid files are read back with tifffile's own LSM reader to check the writer."""
import json, struct, sys

import numpy as np
import tifffile

out, spec = sys.argv[1], json.loads(sys.argv[2])
W, H, Z, C, T = (spec[k] for k in ("width", "height", "z", "c", "t"))
bits = spec.get("bits", 8)
dtype = np.uint8 if bits == 8 else np.uint16
scale = 1 if bits == 8 else 211
t, z, c, y, x = np.ogrid[0:T, 0:Z, 0:C, 0:H, 0:W]
data = (((t * 50 + z * 7 + c * 90 + y * 3 + x) % 251) * scale).astype(dtype)

body = bytearray(b"II*\0\0\0\0\0")


def place(blob):
    at = len(body)
    body.extend(blob)
    if len(body) % 2:
        body.append(0)
    return at


def ifd(entries):
    """entries: (tag, type, values); arrays that do not fit 4 bytes are placed first."""
    sizes = {1: 1, 2: 1, 3: 2, 4: 4, 7: 1}
    codes = {1: "B", 3: "H", 4: "I", 7: "B"}
    fields = []
    for tag, kind, values in sorted(entries):
        if tag == 34412:  # 512 bytes of structure, placed already: the value field points at it
            fields.append((tag, 1, 512, struct.pack("<I", spec.get("info_at", info_at))))
            continue
        raw = struct.pack("<%d%s" % (len(values), codes[kind]), *values)
        fields.append((tag, kind, len(values), raw if len(raw) <= 4 else struct.pack("<I", place(raw))))
    at = place(struct.pack("<H", len(fields)) + b"".join(
        struct.pack("<HHI", tag, kind, n) + value.ljust(4, b"\0") for tag, kind, n, value in fields) + b"\0\0\0\0")
    return at


def lsminfo():
    dims = spec.get("dims", [W, H, Z, C, T])
    s = bytearray(512)
    struct.pack_into("<Ii5i", s, 0, spec.get("magic", 0x0400494C), 512, *dims)
    struct.pack_into("<i2i", s, 28, 1 if bits == 8 else 2, 4, 4)  # DataType, ThumbnailX, ThumbnailY
    struct.pack_into("<3d", s, 40, *spec.get("voxel", [0, 0, 0]))
    colours = spec.get("colours")
    if colours:
        names = spec.get("names", [""] * len(colours))
        text = b"".join(struct.pack("<I", len(n) + 1) + n.encode() + b"\0" for n in names)
        block = struct.pack("<6I", 24 + 4 * len(colours) + len(text), len(colours), len(names), 24,
                            24 + 4 * len(colours), 0) + bytes(v for rgb in colours for v in (*rgb, 0)) + text
        struct.pack_into("<I", s, 108, spec.get("colours_at", place(block)))
    return place(bytes(s))


info_at = lsminfo()
directories = []
for ti in range(T):
    for zi in range(Z):
        strips = [place(data[ti, zi, ci].tobytes()) for ci in range(C)]
        entries = [(254, 4, [0]), (256, 4, [W]), (257, 4, [H]), (258, 3, [bits] * C), (259, 3, [1]),
                   (262, 3, [2 if C > 1 else 1]), (273, 4, strips), (277, 3, [C]), (278, 4, [H]),
                   (279, 4, [W * H * bits // 8] * C), (284, 3, [2 if C > 1 else 1])]
        directories.append(ifd(entries + ([] if directories else [(34412, 1, [])])))
        thumb = place(np.full((4, 4, 3), 128, np.uint8).tobytes())
        directories.append(ifd([(254, 4, [1]), (256, 4, [4]), (257, 4, [4]), (258, 3, [8, 8, 8]), (259, 3, [1]),
                                (262, 3, [2]), (273, 4, [thumb]), (277, 3, [3]), (278, 4, [4]), (279, 4, [48]),
                                (284, 3, [1])]))
struct.pack_into("<I", body, 4, directories[0])
for here, after in zip(directories, directories[1:] + [0]):
    count = struct.unpack_from("<H", body, here)[0]
    struct.pack_into("<I", body, here + 2 + 12 * count, after)
with open(out, "wb") as f:
    f.write(body)

# tifffile takes a two-value BitsPerSample for an old writer's pointer: files of two channels are
# checked by the reader's tests alone.
if C != 2 and not {"dims", "info_at", "magic", "colours_at"} & set(spec):
    with tifffile.TiffFile(out) as tf:
        m = tf.lsm_metadata
        assert tf.is_lsm and [m[k] for k in ("DimensionX", "DimensionY", "DimensionZ", "DimensionChannels",
                                               "DimensionTime")] == [W, H, Z, C, T], m
        assert np.allclose([m["VoxelSizeX"], m["VoxelSizeY"], m["VoxelSizeZ"]], spec.get("voxel", [0, 0, 0]))
        if spec.get("colours"):
            assert [rgba[:3] for rgba in m["ChannelColors"]["Colors"]] == spec["colours"], m["ChannelColors"]
            assert m["ChannelColors"]["ColorNames"] == spec["names"], m["ChannelColors"]
        back = tf.series[0].asarray().reshape(T, Z, C, H, W)
        assert (back == data).all(), "tifffile reads other samples"
