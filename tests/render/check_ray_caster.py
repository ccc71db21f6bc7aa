#!/usr/bin/python3
"""The ray caster's frames against an independent numpy ray caster (ray_reference.py), through
`lumetrix --run` with a script: every mode on a soft ball, two overlapping channels, a thin
oblique sheet; the maximum projection along z against numpy's maximum; the crop box and the
clipping plane removing exactly the voxels beyond them; hostile values refused.
usage: check_ray_caster.py PROGRAM WORKDIR CASE"""
import os, subprocess, sys

import numpy as np
import tifffile
from PIL import Image

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import ray_reference as ref  # noqa: E402

program, work, case = sys.argv[1:4]
os.makedirs(work, exist_ok=True)
os.chdir(work)
ENV = dict(os.environ, XDG_CONFIG_HOME=os.path.abspath("config"), XDG_DATA_HOME=os.path.abspath("data"))
MIN_PSNR = 35.0
failures = []

START = """Sub Main
  SetColor 1, 1, 1
  SetScaleX 1: SetScaleY 1: SetScaleZ 1
  SetTransparency 0.3
  SetProjection "orthographic"
"""


def run(volume, body):
    """Runs the script body on the volume; returns (exit code, standard error)."""
    with open("case.scp", "w") as f:
        f.write(START + body + "End Sub\n")
    done = subprocess.run([program, "--run", "case.scp", volume], env=ENV, capture_output=True, text=True)
    return done.returncode, done.stderr


def frames(volume, views):
    """views: list of (name, script lines); each is drawn and saved as NAME.bmp."""
    body = "".join(f"{lines}\n  DrawImage\n  SaveBMP \"{os.path.abspath(name)}.bmp\"\n" for name, lines in views)
    code, err = run(volume, body)
    if code != 0:
        failures.append(f"{volume}: exit {code}: {err.strip()}")
        return {name: np.zeros((400, 400, 3), np.uint8) for name, _ in views}
    return {name: np.asarray(Image.open(f"{name}.bmp").convert("RGB")) for name, _ in views}


def compare(name, got, want):
    p = ref.psnr(got, want)
    if p < MIN_PSNR:
        Image.fromarray(want).save(f"{name}_expected.png")
        failures.append(f"{name}: PSNR {p:.1f} dB against the reference, below {MIN_PSNR}")


def ball(shape, centre, radius, peak):
    z, y, x = np.ogrid[0:shape[0], 0:shape[1], 0:shape[2]]
    r2 = ((x - centre[2]) ** 2 + (y - centre[1]) ** 2 + (z - centre[0]) ** 2) / radius ** 2
    return (peak * np.exp(-2.0 * r2)).astype(np.uint8)


if case == "modes":
    # A soft ball over a dim background (so that the darkest voxel along a ray is not simply 0),
    # and, for the iso surface, a ball with a steep edge: where a ray only grazes the level the
    # last bit of the texture filter decides, so a soft edge would leave a ring of such pixels.
    soft = (40 + ball((32, 48, 48), (15.5, 23.5, 21.0), 12.0, 190)).astype(np.uint8)
    z, y, x = np.ogrid[0:32, 0:48, 0:48]
    r = np.sqrt((x - 21.0) ** 2 + (y - 23.5) ** 2 + (z - 15.5) ** 2)
    steep = (230 / (1 + np.exp((r - 9.0) / 0.4))).astype(np.uint8)
    tifffile.imwrite("soft.tif", soft)
    tifffile.imwrite("steep.tif", steep)
    angles = ((0, 0), (20, 35))
    for volume, vol, modes in (("soft.tif", soft, ("volume", "mip", "attenuated", "minip")), ("steep.tif", steep, ("iso",))):
        views = [(f"{m}_{xr}_{yr}", f'  SetRenderMode "{m}"\n  SetIsoLevel 1, 115\n  SetAttenuation 0.2\n  SetXYRot {xr}, {yr}')
                 for m in modes for xr, yr in angles]
        got = frames(volume, views)
        for m in modes:
            for xr, yr in angles:
                name = f"{m}_{xr}_{yr}"
                want = ref.render([(vol, (1, 1, 1), (0, 255), 115)], m, xrot=xr, yrot=yr, attenuation=0.2)
                if want.max() == 0:
                    failures.append(f"{name}: the reference is black")
                compare(name, got[name], want)

    # Lit, the iso surface is shaded where each ray first meets it: two steep balls one behind the
    # other, so that a ray's later crossings (the back ball, the far sides) face other ways.
    z, y, x = np.ogrid[0:32, 0:48, 0:48]
    pair = np.zeros((32, 48, 48))
    for (cz, cy, cx), radius in (((9.0, 23.5, 19.0), 6.0), ((21.0, 25.0, 27.0), 9.0)):
        r = np.sqrt((x - cx) ** 2 + (y - cy) ** 2 + (z - cz) ** 2)
        pair = np.maximum(pair, 230 / (1 + np.exp((r - radius) / 0.4)))
    pair = pair.astype(np.uint8)
    tifffile.imwrite("pair.tif", pair)
    views = [(f"lit_{xr}_{yr}", f'  SetRenderMode "iso"\n  SetIsoLevel 1, 115\n  SetLight 0.3, 0.3, 0.3\n  SetLightOn\n'
              f'  SetXYRot {xr}, {yr}') for xr, yr in angles]
    got = frames("pair.tif", views)
    for xr, yr in angles:
        want = ref.render([(pair, (1, 1, 1), (0, 255), 115)], "iso", xrot=xr, yrot=yr, ambient=(0.3, 0.3, 0.3))
        compare(f"lit_{xr}_{yr}", got[f"lit_{xr}_{yr}"], want)

elif case == "channels":
    # Two balls that overlap, in green and magenta, added and clamped.
    a = ball((24, 40, 40), (11.5, 19.5, 14.0), 9.0, 220)
    b = ball((24, 40, 40), (11.5, 19.5, 25.0), 9.0, 200)
    tifffile.imwrite("two.tif", np.stack([a, b], axis=1), imagej=True, metadata={"axes": "ZCYX"})
    looks = ('  SetChannelColor 1, 0, 255, 0: SetDisplayRange 1, 0, 255\n'
             '  SetChannelColor 2, 255, 0, 255: SetDisplayRange 2, 20, 200\n')
    got = frames("two.tif", [(m, f'{looks}  SetRenderMode "{m}"\n  SetXYRot 10, 25') for m in ("mip", "volume")])
    for m in ("mip", "volume"):
        want = ref.render([(a, (0, 1, 0), (0, 255), 0), (b, (1, 0, 1), (20, 200), 0)], m, xrot=10, yrot=25)
        compare(f"channels_{m}", got[m], want)
    # Both hues where both balls are, one where one is: the sum, not the last channel drawn.
    centre = got["mip"][200, 200]
    if not (centre[0] > 60 and centre[1] > 60 and centre[2] > 60):
        failures.append(f"the overlap shows {centre}, not green and magenta added")
    # A 16-bit channel shown over a narrow part of its values (100 of 65536), with a gamma: the
    # levels in between are as fine as in an 8-bit one.
    wide = (1000 + ball((24, 40, 40), (11.5, 19.5, 19.5), 11.0, 150).astype(np.uint16) * 2).astype(np.uint16)
    tifffile.imwrite("wide.tif", wide)
    look = '  SetDisplayRange 1, 1150, 1250: SetGamma 1, 0.7\n'
    got = frames("wide.tif", [(f"wide_{m}", f'{look}  SetRenderMode "{m}"\n  SetXYRot 10, 25') for m in ("mip", "volume")])
    for m in ("mip", "volume"):
        want = ref.render([(wide, (1, 1, 1), (1150, 1250), 0)], m, xrot=10, yrot=25, gamma=0.7)
        compare(f"wide_{m}", got[f"wide_{m}"], want)

elif case == "sheet":
    # A thin sheet tilted 30 degrees about y, smoothed over a voxel or two.
    z, y, x = np.mgrid[0:40, 0:48, 0:48].astype(float)
    dist = (x - 23.5) * np.cos(np.radians(30)) + (z - 19.5) * np.sin(np.radians(30))
    vol = (220 * np.exp(-(dist / 1.2) ** 2)).astype(np.uint8)
    tifffile.imwrite("sheet.tif", vol)
    got = frames("sheet.tif", [("sheet", '  SetRenderMode "mip"\n  SetXYRot 15, 50')])
    compare("sheet", got["sheet"], ref.render([(vol, (1, 1, 1), (0, 255), 0)], "mip", xrot=15, yrot=50))

elif case == "axis":
    # Seen along z, the maximum projection is numpy's maximum over the pages, resampled to the
    # frame: the volume's 64 columns span 2 of the 2 * 3 * tan(22.5 deg) model units shown.
    rng = np.random.default_rng(7)
    image = ball((1, 64, 64), (0, 30.0, 36.0), 20.0, 250)[0].astype(float)
    image += rng.uniform(0, 40, (64, 64))
    depth = np.linspace(0.6, 1.0, 16)[:, None, None]  # the brightest page differs per pixel
    vol = np.clip(image[None] * depth, 0, 255).astype(np.uint8)
    vol[9] = np.clip(image, 0, 255).astype(np.uint8)  # page 9 holds the maximum of every column
    tifffile.imwrite("axis.tif", vol)
    got = frames("axis.tif", [("axis", '  SetRenderMode "mip"\n  SetQuality 0.25')])["axis"]
    top = vol.max(axis=0).astype(float)
    shown = 2 * 3 * np.tan(np.radians(22.5))
    u = (np.arange(400) + 0.5) / 400 * shown - shown / 2  # model x of each pixel column
    coord = (u + 1) / 2 * 64 - 0.5
    inside = (u > -1) & (u < 1)
    c = np.clip(coord, 0, 63)
    i0 = np.floor(c).astype(int)
    i1 = np.minimum(i0 + 1, 63)
    f = c - i0
    rows = top[i0] * (1 - f)[:, None] + top[i1] * f[:, None]  # along y (rows top first)
    want = rows[:, i0] * (1 - f)[None, :] + rows[:, i1] * f[None, :]
    want = np.where(inside[:, None] & inside[None, :], np.floor(want + 0.5), 0).astype(np.uint8)
    # Away from the edges (a pixel there covers both the volume and the background).
    core = np.abs(u) < 0.97
    diff = np.abs(got[..., 0].astype(int) - want.astype(int))[np.ix_(core, core)]
    if diff.max() > 3:
        failures.append(f"maximum along z differs from numpy's by up to {diff.max()} levels")

elif case == "cut":
    # Bright voxels only where the crop box or the plane cuts: nothing may show; the same volume
    # with the bright part inside shows it, as the reference does.
    vol = np.full((20, 32, 32), 30, np.uint8)
    vol[:, :, 21:29] = 240  # columns 21..28 lie beyond the crop's x1 = 20 (not at the edge, which the
    # slice stacks blend with the opposite edge)
    tifffile.imwrite("cut.tif", vol)
    crop = (0, 20, 0, 31, 0, 19)
    views = [("crop_mip", '  SetRenderMode "mip"\n  SetCrop 0, 20, 0, 31, 0, 19\n  SetXYRot 10, 20'),
             ("crop_slices", '  SetRenderMode "max"\n  SetCrop 0, 20, 0, 31, 0, 19\n  SetXYRot 10, 20'),
             ("plane_mip", '  SetRenderMode "mip"\n  SetCrop 0, 1e9, 0, 1e9, 0, 1e9\n'
                           '  SetClipPlane 1, 0, 0, 20.4\n  SetXYRot 10, 20'),
             ("open_mip", '  SetRenderMode "mip"\n  ClearClipPlane\n  SetXYRot 10, 20')]
    got = frames("cut.tif", views)
    for name in ("crop_mip", "crop_slices", "plane_mip"):
        if got[name].max() > 40:  # 30 shows; 240 must not
            failures.append(f"{name}: voxels beyond the cut show (brightest {got[name].max()})")
    if got["open_mip"].max() < 200:
        failures.append("without a cut the bright columns do not show")
    compare("crop_mip", got["crop_mip"], ref.render([(vol, (1, 1, 1), (0, 255), 0)], "mip", xrot=10, yrot=20, crop=crop))
    compare("plane_mip", got["plane_mip"],
            ref.render([(vol, (1, 1, 1), (0, 255), 0)], "mip", xrot=10, yrot=20, plane=(1, 0, 0, 20.4)))

elif case == "hostile":
    tifffile.imwrite("small.tif", np.full((4, 8, 8), 100, np.uint8))
    for line, words in [("SetCrop 5, 2, 0, 7, 0, 3", "wrong way round"), ("SetCrop -1, 2, 0, 7, 0, 3", "negative"),
                        ("SetClipPlane 0, 0, 0, 1", "not zero"), ('SetClipPlane 1, 0, 0, Sqr(-1)', ""),
                        ("SetQuality 0", "above 0"), ('SetProjection "fisheye"', "orthographic"),
                        ('SetRenderMode "shiny"', "iso"), ("SetIsoLevel 9, 10", "channel 9"),
                        ("SetAttenuation -1", "from 0")]:
        code, err = run("small.tif", f"  {line}\n")
        if code == 0 or (words and words not in err):
            failures.append(f"{line}: exit {code}, {err.strip()!r} (wanted an error naming {words!r})")

else:
    failures.append(f"unknown case {case}")

for f in failures:
    print(f)
print(f"{case}: {'FAILED' if failures else 'passed'}")
sys.exit(1 if failures else 0)
