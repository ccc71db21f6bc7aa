"""An independent ray caster in numpy: what an orthographic frame of a volume should look like.

Model space: x spans -1..1 over the width, y spans -1..1 over the height (no voxel size in the
file), z spans -ez..ez with ez = depth * scale_z / (width * scale_x); rows run top first down y,
pages run from the front (+z) back. The camera turns the model about y, then about x, and moves
it by (px, py, pz); the orthographic view shows half a height of |pz| * tan(22.5 degrees).
"""
import math

import numpy as np


def rot_x(a):
    c, s = math.cos(a), math.sin(a)
    return np.array([[1, 0, 0], [0, c, -s], [0, s, c]])


def rot_y(b):
    c, s = math.cos(b), math.sin(b)
    return np.array([[c, 0, s], [0, 1, 0], [-s, 0, c]])


def trilinear(vol, x, y, z):
    """vol[z, y, x] sampled at voxel coordinates (centres at whole numbers), clamped to the edge."""
    d, h, w = vol.shape
    out = np.zeros(x.shape)
    x0, y0, z0 = np.floor(x), np.floor(y), np.floor(z)
    fx, fy, fz = x - x0, y - y0, z - z0
    for dz in (0, 1):
        for dy in (0, 1):
            for dx in (0, 1):
                wgt = (fx if dx else 1 - fx) * (fy if dy else 1 - fy) * (fz if dz else 1 - fz)
                xi = np.clip(x0 + dx, 0, w - 1).astype(int)
                yi = np.clip(y0 + dy, 0, h - 1).astype(int)
                zi = np.clip(z0 + dz, 0, d - 1).astype(int)
                out += wgt * vol[zi, yi, xi]
    return out


def render(channels, mode, size=(400, 400), xrot=0.0, yrot=0.0, pos=(0.0, 0.0, -3.0), scale=(1.0, 1.0, 1.0),
           alpha=0.3, quality=0.5, attenuation=0.05, colour=(1.0, 1.0, 1.0), crop=None, plane=None, gamma=1.0,
           ambient=None):
    """channels: list of (volume uint8 or uint16 [z, y, x], rgb 0..1, (min, max) in stored values, iso level).
    ambient: None with the light off, else its (r, g, b): the iso surface where the ray first meets
    it is lit by ambient + (1 - ambient) * |cos| of the angle between the ray and the volume's
    gradient there (central differences one voxel either side).
    Returns the frame as uint8 [rows top first, columns, 3]."""
    d, h, w = channels[0][0].shape
    W, H = size
    half = np.array([1.0, 1.0, d * scale[2] / (w * scale[0])])
    n_vox = np.array([w, h, d], float)
    sign = np.array([1.0, -1.0, -1.0])
    first = np.zeros(3)
    last = n_vox.copy()
    if crop is not None:
        first = np.clip(np.array(crop[0::2], float), 0, n_vox)
        last = np.clip(np.array(crop[1::2], float) + 1, 0, n_vox)
    p0 = sign * (-half + 2 * half * first / n_vox)
    p1 = sign * (-half + 2 * half * last / n_vox)
    box_min, box_max = np.minimum(p0, p1), np.maximum(p0, p1)

    # Rays through the pixel centres, in model space.
    hh = abs(pos[2]) * math.tan(math.radians(22.5))
    aspect = W / H
    cols, rows = np.meshgrid(np.arange(W), np.arange(H))  # rows counted from the bottom
    xe = -hh * aspect + (cols + 0.5) * 2 * hh * aspect / W
    ye = -hh + (rows + 0.5) * 2 * hh / H
    back = rot_y(-math.radians(yrot)) @ rot_x(-math.radians(xrot))
    eye_pts = np.stack([xe - pos[0], ye - pos[1], np.full(xe.shape, -pos[2])], -1).reshape(-1, 3)
    origin_eye = eye_pts @ back.T
    direction = back @ np.array([0.0, 0.0, -1.0])
    origin = origin_eye - direction * 16.0  # well in front of the volume, as an orthographic ray starts anywhere

    safe = np.where(np.abs(direction) < 1e-12, 1e-12, direction)
    t0 = (box_min - origin) / safe
    t1 = (box_max - origin) / safe
    tn = np.max(np.minimum(t0, t1), axis=1)
    tf = np.min(np.maximum(t0, t1), axis=1)
    if plane is not None:  # kept where n . v <= d in voxel coordinates (centres at whole numbers)
        A = sign * n_vox / (2 * half)
        b = n_vox / 2 - 0.5
        nv = np.array(plane[:3], float)
        n_model = nv * A
        d_model = plane[3] - np.dot(nv, b)
        nd, no = np.dot(direction, n_model), origin @ n_model
        if abs(nd) < 1e-12:
            tf = np.where(no > d_model, -np.inf, tf)
        elif nd > 0:
            tf = np.minimum(tf, (d_model - no) / nd)
        else:
            tn = np.maximum(tn, (d_model - no) / nd)
    hit = tf > tn
    step = quality / np.linalg.norm(direction * n_vox / (2 * half))  # quality voxels along the ray
    count = np.where(hit, np.ceil((tf - tn) / step), 0).astype(int)

    if plane is not None:  # the voxels beyond the plane are empty
        zz, yy, xx = np.mgrid[0:d, 0:h, 0:w]
        beyond = plane[0] * xx + plane[1] * yy + plane[2] * zz > plane[3]
        channels = [(np.where(beyond, 0, vol), rgb, rng, iso) for vol, rgb, rng, iso in channels]
    lo = first.copy()
    hi = np.maximum(lo, np.ceil(last) - 1)
    total = np.zeros((origin.shape[0], 3))
    for vol, rgb, (vmin, vmax), iso in channels:
        top = 65535.0 if vol.dtype == np.uint16 else 255.0
        vol = vol.astype(float) / top
        lo_v, hi_v = vmin / top, vmax / top
        acc = np.zeros((origin.shape[0], 3))
        a = np.zeros(origin.shape[0])
        best = np.ones(origin.shape[0]) if mode == "minip" else np.zeros(origin.shape[0])
        summed = np.zeros(origin.shape[0])
        done = ~hit
        rgb = np.array(rgb, float)
        for k in range(int(count.max(initial=0))):
            live = (k < count) & ~done
            if not live.any():
                break
            t = tn + (k + 0.5) * step
            p = origin + t[:, None] * direction
            v = (sign * p * 0.5 / half + 0.5) * n_vox - 0.5
            v = np.clip(v, lo, hi)
            raw = trilinear(vol, v[:, 0], v[:, 1], v[:, 2])
            level = np.clip((raw - lo_v) / max(hi_v - lo_v, 1e-9), 0, 1) ** gamma
            if mode == "volume":
                alpha_s = 1 - (1 - np.clip(level * alpha, 0, 1)) ** quality
                acc += np.where(live, (1 - a) * alpha_s, 0)[:, None] * level[:, None] * rgb
                a = np.where(live, a + (1 - a) * alpha_s, a)
                done |= a > 0.996
            elif mode == "mip":
                best = np.where(live, np.maximum(best, level), best)
            elif mode == "attenuated":
                best = np.where(live, np.maximum(best, level * np.exp(-attenuation * summed)), best)
                summed = np.where(live, summed + level * quality, summed)
            elif mode == "minip":
                best = np.where(live, np.minimum(best, level), best)
            elif mode == "iso":
                crossed = live & (raw >= iso / top)
                acc[crossed] = rgb * lit(vol, v[crossed], direction, half, sign, ambient)
                done |= crossed
        if mode in ("volume", "iso"):
            total += acc
        else:
            total += np.where(hit, best, 0)[:, None] * rgb
    frame = np.clip(total * np.array(colour), 0, 1)
    frame = np.floor(frame * 255 + 0.5).astype(np.uint8).reshape(H, W, 3)
    return frame[::-1]  # rows top first


def lit(vol, v, direction, half, sign, ambient):
    """The light's factor (rays x 3) at voxel coordinates v (rays x 3); 1 with the light off."""
    if ambient is None:
        return np.ones((v.shape[0], 3))
    g = np.zeros(v.shape)
    for a in range(3):
        e = np.zeros(3)
        e[a] = 1.0
        ahead, behind = v + e, v - e
        g[:, a] = (trilinear(vol, ahead[:, 0], ahead[:, 1], ahead[:, 2]) -
                   trilinear(vol, behind[:, 0], behind[:, 1], behind[:, 2]))
    g = g * sign * 0.5 / half  # voxels run against y and z of model space, and span 2 * half
    length = np.linalg.norm(g, axis=1)
    cos = np.where(length > 1e-9, np.abs(g @ direction) / np.maximum(length, 1e-30), 1.0)
    amb = np.array(ambient, float)
    return amb + (1 - amb) * cos[:, None]


def psnr(a, b):
    mse = np.mean((a.astype(float) - b.astype(float)) ** 2)
    return float("inf") if mse == 0 else 10 * math.log10(255.0 ** 2 / mse)
