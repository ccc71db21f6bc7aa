#!/usr/bin/python3
"""Times vispy's Volume visual on a raw 8-bit volume: the peer of Lumetrix's ray caster.

The volume is drawn offscreen as Lumetrix draws it at its start view (x spanning -1..1, the
pages as thick as the voxel sizes say, perspective with a 45 degree field of view from 3 units
away), the camera turned by a degree per frame. Each frame is read back, which waits for it.
Prints key=value lines; frame_ms is the median frame time.
"""
import argparse
import os
import statistics
import sys
import time


def parse_arguments():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--raw", required=True, help="the voxels, x fastest, then rows, then pages, one byte each")
    parser.add_argument("--shape", required=True, help="width,height,depth of the volume")
    parser.add_argument("--method", required=True, choices=["mip", "translucent"])
    parser.add_argument("--size", type=int, default=400, help="square drawing area, in pixels")
    parser.add_argument("--frames", type=int, default=30, help="frames timed (after two warm-up frames)")
    parser.add_argument("--z-aspect", type=float, default=100 / 30, help="a page's thickness over a voxel's width")
    parser.add_argument("--transparency", type=float, default=0.3, help="opacity of a full-level voxel (translucent)")
    parser.add_argument("--save", help="writes the last frame to this new .npy file (for checking the view)")
    a = parser.parse_args()
    try:
        a.shape = tuple(int(v) for v in a.shape.split(","))
    except ValueError:
        parser.error("--shape takes three whole numbers: width,height,depth")
    if len(a.shape) != 3 or min(a.shape) < 1:
        parser.error("--shape takes three positive whole numbers: width,height,depth")
    if not 1 <= a.size <= 4096:
        parser.error("--size lies between 1 and 4096")
    if not 1 <= a.frames <= 10000:
        parser.error("--frames lies between 1 and 10000")
    if not 0 < a.z_aspect < 1000:
        parser.error("--z-aspect lies between 0 and 1000")
    if not 0 <= a.transparency <= 1:
        parser.error("--transparency lies between 0 and 1")
    if a.save and os.path.exists(a.save):
        parser.error("--save: %s exists already" % a.save)
    return a


def read_volume(path, shape):
    import numpy as np
    width, height, depth = shape
    expected = width * height * depth
    try:
        size = os.path.getsize(path)
    except OSError as e:
        sys.exit("cannot read the volume: %s" % e)
    if size != expected:
        sys.exit("%s holds %d bytes, not the %d of a %dx%dx%d volume" % (path, size, expected, width, height, depth))
    return np.fromfile(path, dtype=np.uint8).reshape(depth, height, width)


def voxels_to_world(shape, z_aspect):
    """Voxel (i, j, k) to Lumetrix's model space (x right, y up, page 0 nearest the eye), then
    into the turntable camera's world, which looks along +y with +z up."""
    import numpy as np
    width, height, depth = shape
    half = (1.0, height / width, depth * z_aspect / width)
    model = np.zeros((4, 4))
    # vispy's voxel n spans n - 0.5 .. n + 0.5; Lumetrix's box spans -half..half.
    model[0, 0], model[3, 0] = 2 * half[0] / width, -half[0] + half[0] / width
    model[1, 1], model[3, 1] = -2 * half[1] / height, half[1] - half[1] / height
    model[2, 2], model[3, 2] = -2 * half[2] / depth, half[2] - half[2] / depth
    model[3, 3] = 1
    # model (x, y, z) -> world (x, -z, y), vispy's matrices act on row vectors.
    to_world = np.array([[1, 0, 0, 0], [0, 0, 1, 0], [0, -1, 0, 0], [0, 0, 0, 1]], dtype=float)
    return model @ to_world


def main():
    a = parse_arguments()
    volume = read_volume(a.raw, a.shape)
    import numpy as np
    import vispy
    try:
        vispy.use("egl")
    except RuntimeError:
        vispy.use("pyqt5")
    from vispy import gloo, scene
    from vispy.color import BaseColormap
    from vispy.visuals.transforms import MatrixTransform

    class TranslucentGrays(BaseColormap):
        glsl_map = "vec4 translucent_grays(float t) { return vec4(t, t, t, t * %.6f); }" % a.transparency

    canvas = scene.SceneCanvas(size=(a.size, a.size), show=False, bgcolor="black")
    view = canvas.central_widget.add_view()
    cmap = "grays" if a.method == "mip" else TranslucentGrays()
    visual = scene.visuals.Volume(volume, parent=view.scene, method=a.method, clim=(0, 255), cmap=cmap)
    visual.transform = MatrixTransform(voxels_to_world(a.shape, a.z_aspect))
    view.camera = scene.TurntableCamera(fov=45, elevation=0, azimuth=0, distance=3, center=(0, 0, 0))
    view.camera.scale_factor = 3

    fbo = gloo.FrameBuffer(color=gloo.RenderBuffer((a.size, a.size)), depth=gloo.RenderBuffer((a.size, a.size)))
    canvas.push_fbo(fbo, (0, 0), (a.size, a.size))

    def frame():
        canvas.context.clear(color="black", depth=True)
        canvas.draw_visual(canvas.scene)
        return fbo.read()  # waits for the frame

    frame()
    frame()
    times = []
    for n in range(a.frames):
        view.camera.azimuth = -float(n + 1)  # the way Lumetrix turns by YRot
        start = time.perf_counter()
        last = frame()
        times.append((time.perf_counter() - start) * 1000)
    canvas.pop_fbo()
    if a.save:
        np.save(a.save, last)
    print("backend=%s" % canvas.app.backend_name)
    print("renderer=%s" % gloo.gl.glGetParameter(gloo.gl.GL_RENDERER))
    print("lit=%.4f" % float(np.mean(last[:, :, :3].max(axis=2) > 0)))  # share of pixels not black
    print("frames=%d" % len(times))
    print("frame_ms=%.3f" % statistics.median(times))


if __name__ == "__main__":
    main()
