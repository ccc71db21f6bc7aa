#!/usr/bin/python3
"""End-to-end checks of `lumetrix --movie`, read back with FFmpeg's own tools as the oracle.
usage: check_movies.py PROGRAM VOLUME WORKDIR CASE"""
import json, os, subprocess, sys

program, volume, work, case = sys.argv[1:5]
os.makedirs(work, exist_ok=True)
os.chdir(work)
# The program's settings and palettes of its own: window tests running beside this one change theirs.
ENV = dict(os.environ, XDG_CONFIG_HOME=os.path.abspath("config"), XDG_DATA_HOME=os.path.abspath("data"))
TURN = {"fps": 25, "size": [64, 48], "keyframes": [{"frame": 0, "YRot": 0}, {"frame": 20, "YRot": 180}]}


def run(*args):
    return subprocess.run([program, *args], env=ENV, capture_output=True, text=True)


def keys(name, content):
    with open(name, "w") as f:
        f.write(content if isinstance(content, str) else json.dumps(content))
    return name


def fail(text):
    sys.exit("FAIL: " + text)


def probe(path):
    out = subprocess.run(["ffprobe", "-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                          "stream=codec_name,width,height,r_frame_rate,nb_read_frames,pix_fmt", "-of", "json", path],
                         capture_output=True, text=True, check=True).stdout
    return json.loads(out)["streams"][0]


def rgb(path, frame=0):
    return subprocess.run(["ffmpeg", "-v", "error", "-i", path, "-vf", f"select=eq(n\\,{frame})", "-frames:v", "1",
                           "-f", "rawvideo", "-pix_fmt", "rgb24", "-"], capture_output=True, check=True).stdout


def leftovers():
    return sorted(f for f in os.listdir(".") if not f.endswith((".lkf", ".tif", ".bmp")))


if case == "formats":
    # name, --size, expected (codec, width, height, pixel format)
    table = [("turn.mp4", "64x48", ("h264", 64, 48, "yuv420p")),
             ("odd.mp4", "65x49", ("h264", 66, 50, "yuv420p")),  # padded to even sides
             ("turn.avi", "64x48", ("mjpeg", 64, 48, None)),
             ("turn.gif", "65x49", ("gif", 65, 49, None))]
    for name, size, (codec, w, h, pix) in table:
        r = run("--movie", keys("turn.lkf", TURN), name, volume, "--size", size)
        if r.returncode != 0:
            fail(f"{name}: exit {r.returncode}: {r.stderr}")
        s = probe(name)
        got = (s["codec_name"], s["width"], s["height"], int(s["nb_read_frames"]))
        if got != (codec, w, h, 21) or (pix and s["pix_fmt"] != pix):
            fail(f"{name}: {s}")
        if name.endswith(".mp4") and s["r_frame_rate"] != "25/1":
            fail(f"{name}: rate {s['r_frame_rate']}")

elif case == "middle_frame":
    # Lossless AVI: frame 10 of a 0 -> 180 degree turn is the view at 90 degrees, pixel for pixel.
    if run("--movie", keys("turn.lkf", TURN), "turn.avi", volume, "--codec", "raw").returncode != 0:
        fail("the movie was not written")
    if run("--render", volume, "yrot90.bmp", "--size", "64x48", "--yrot", "90").returncode != 0:
        fail("--render failed")
    middle, still, first = rgb("turn.avi", 10), rgb("yrot90.bmp"), rgb("turn.avi", 0)
    if len(still) != 64 * 48 * 3 or middle != still:
        fail("the middle frame differs from --render --yrot 90")
    if first == still:
        fail("the first frame already shows the turned view")

elif case == "hostile":
    # keyframe file, words the message must hold
    frames = lambda *ks: {"keyframes": [dict(frame=f, **p) for f, p in ks]}
    table = [("{\"keyframes\": [", ["not valid JSON"]),
             ("{\"keyframes\": [{\"frame\": 0, \"YRot\": NaN}]}", ["not valid JSON"]),
             (frames((0, {"YRot": "NaN"})), ["Keyframe 1", "YRot"]),
             (frames((0, {"PosZ": 1e300})), ["Keyframe 1", "PosZ"]),
             ("{\"keyframes\": [{\"frame\": 0, \"PosZ\": 1e999}]}", ["not valid JSON"]),
             (frames((-1, {})), ["Keyframe 1", "frame"]),
             (frames((0, {}), (50, {}), (20, {})), ["Keyframe 3", "frame 20"]),
             (frames((0, {}), (0, {})), ["Keyframe 2"]),
             (frames((0, {}), (10 ** 9, {})), ["Keyframe 2", "frame"]),
             (frames((0, {}), (2.5, {})), ["Keyframe 2", "frame"]),
             (frames((0, {}), (10, {"Zoom": 2})), ["Keyframe 2", "Zoom"]),
             (frames((0, {"Color": [1, 0]})), ["Keyframe 1", "Color"]),
             (frames((0, {"LightOn": 1})), ["Keyframe 1", "LightOn"]),
             (frames((0, {"Ease": "bounce"})), ["Keyframe 1", "Ease"]),
             (frames((0, {"Channel9": {"Visible": False}})), ["Keyframe 1", "Channel9"]),
             (frames((0, {"Channel1": 5})), ["Keyframe 1", "Channel1"]),
             (frames((0, {"Channel1": {"Range": [5, 5]}})), ["Keyframe 1", "Channel1.Range"]),
             (frames((0, {"Channel2": {"Range": [0, 1e300]}})), ["Keyframe 1", "Channel2.Range"]),
             (frames((0, {}), (5, {"Channel1": {"Gamma": 0}})), ["Keyframe 2", "Channel1.Gamma"]),
             (frames((0, {"Channel1": {"Color": [300, 0, 0]}})), ["Keyframe 1", "Channel1.Color"]),
             (frames((0, {"Channel1": {"Shade": 1}})), ["Keyframe 1", "Shade"]),
             (frames((0, {"TimePoint": 0})), ["Keyframe 1", "TimePoint"]),
             (frames((0, {"TimePoint": 1.5})), ["Keyframe 1", "TimePoint"]),
             # well formed, but more than the volume has
             (frames((0, {}), (5, {"Channel2": {"Visible": False}})), ["Keyframe 2", "channel 2", "1 channel"]),
             (frames((0, {"TimePoint": 2})), ["Keyframe 1", "time point 2", "1 time point"]),
             ({"fps": 0, "keyframes": [{"frame": 0}]}, ["fps"]),
             ({"size": [640], "keyframes": [{"frame": 0}]}, ["size"]),
             ({"speed": 2, "keyframes": [{"frame": 0}]}, ["speed"]),
             ({"keyframes": []}, ["no keyframes"]),
             ("[1, 2]", ["one JSON object"])]
    for i, (content, words) in enumerate(table):
        r = run("--movie", keys(f"bad{i}.lkf", content), f"bad{i}.mp4", volume)
        if r.returncode != 1 or not all(w in r.stderr for w in words):
            fail(f"case {i} {content!r}: exit {r.returncode}, {r.stderr!r}")
    if leftovers():
        fail(f"files were written: {leftovers()}")

elif case == "channels":
    # Two channels, three time points: a keyframe movie's frames are the stills of the time point
    # and display ranges it passes through (lossless AVI against --render of that time point alone).
    import numpy as np
    import tifffile
    data = np.zeros((3, 4, 2, 32, 32), np.uint8)
    for t in range(3):
        data[t, :, 0, :, :16] = 60 * (t + 1)
        data[t, :, 1, :, 16:] = 50 * (t + 1)
    tifffile.imwrite("series.tif", data, imagej=True, metadata={"axes": "TZCYX"})
    tifffile.imwrite("t2.tif", data[1], imagej=True, metadata={"axes": "ZCYX"})
    hidden = data[2].copy()
    hidden[:, 1] = 0  # what channel 2 switched off looks like
    tifffile.imwrite("t3.tif", hidden, imagej=True, metadata={"axes": "ZCYX"})
    movie = {"fps": 25, "size": [64, 48], "keyframes": [
        {"frame": 0, "TimePoint": 1, "Channel1": {"Range": [0, 100]}, "Channel2": {"Range": [0, 255]}},
        {"frame": 20, "TimePoint": 3, "Channel1": {"Range": [0, 300]}, "Channel2": {"Visible": False}}]}
    r = run("--movie", keys("series.lkf", movie), "series.avi", "series.tif", "--codec", "raw")
    if r.returncode != 0:
        fail(f"the movie was not written: {r.stderr}")
    # frame, still volume, its ranges
    for frame, still, ranges in [(10, "t2.tif", ["1:0:200", "2:0:255"]), (20, "t3.tif", ["1:0:300", "2:0:255"])]:
        options = [o for rng in ranges for o in ("--range", rng)]
        if run("--render", still, "still.bmp", "--size", "64x48", *options).returncode != 0:
            fail(f"--render {still} failed")
        if rgb("series.avi", frame) != rgb("still.bmp"):
            fail(f"frame {frame} differs from --render {still} {' '.join(options)}")
    if rgb("series.avi", 10) == rgb("series.avi", 0):
        fail("the time points and ranges did not change the frames")
    # Keyframes asking for a channel or time point the volume lacks: a message, nothing written.
    for extra, words in [({"Channel3": {"Visible": True}}, "channel 3"), ({"TimePoint": 4}, "time point 4")]:
        too_much = {"keyframes": [{"frame": 0}, dict(frame=5, **extra)]}
        r = run("--movie", keys("too_much.lkf", too_much), "too_much.mp4", "series.tif")
        if r.returncode != 1 or words not in r.stderr or os.path.exists("too_much.mp4"):
            fail(f"{extra}: exit {r.returncode}, {r.stderr!r}")

elif case == "batch":
    with open("broken.tif", "wb") as f:
        f.write(b"II*\0 not really a TIFF")
    os.makedirs("out", exist_ok=True)
    r = run("--movie", keys("turn.lkf", TURN), "--out-dir", "out", volume, "broken.tif", "missing.tif")
    if r.returncode != 1 or "broken.tif" not in r.stderr or "missing.tif" not in r.stderr:
        fail(f"exit {r.returncode}: {r.stderr}")
    made = sorted(os.listdir("out"))
    if made != [os.path.splitext(os.path.basename(volume))[0] + ".mp4"] or probe("out/" + made[0])["nb_read_frames"] != "21":
        fail(f"movies: {made}")

elif case == "open_image":
    # A script loops over files: False with the reason on standard error, True for a volume.
    with open("loop.scp", "w") as f:
        f.write('Sub Main\n  If OpenImage("missing.tif") Then Err.Raise 1001\n'
                f'  If Not OpenImage("{volume}") Then Err.Raise 1002\n  SaveBMP "opened.bmp"\nEnd Sub\n')
    r = run("--run", "loop.scp", volume)
    if r.returncode != 0 or "OpenImage: The file missing.tif does not exist." not in r.stderr or not os.path.exists("opened.bmp"):
        fail(f"exit {r.returncode}: {r.stderr}")
elif case == "view_options":
    # Keyframes that crop, cut and switch the render mode, and the view options of --movie: the
    # movie's frames are the stills of --render with the values worked out by hand (lossless AVI).
    import numpy as np
    import tifffile
    tifffile.imwrite("speckle.tif", np.random.default_rng(1).integers(0, 256, (16, 64, 64), dtype=np.uint8))
    cut = {"keyframes": [
        {"frame": 0, "RenderMode": "volume", "Projection": "orthographic", "ClipPlane": [1, 0, 0, 40]},
        {"frame": 10, "RenderMode": "mip", "Crop": [16, 47, 8, 39, 0, 15], "ClipPlane": [1, 0, 0, 20]}]}
    view = ["--mode", "attenuated", "--ortho", "--crop", "0,40,0,63,2,15", "--clip", "0,0,1,8", "--quality", "1"]
    # keys, view options of --movie, frame, --render options of its view (at a size where half a
    # voxel shows): half way the whole volume (0..63, 0..63, 0..15) has closed in half way to the
    # crop box and the plane has moved from 40 to 30; view options hold for every frame.
    table = [(cut, [], 5, ["--ortho", "--mode", "volume", "--crop", "8,55,4,51,0,15", "--clip", "1,0,0,30"]),
             (cut, [], 10, ["--ortho", "--mode", "mip", "--crop", "16,47,8,39,0,15", "--clip", "1,0,0,20"]),
             (TURN, view, 10, ["--yrot", "90", *view])]
    for i, (content, options, frame, still) in enumerate(table):
        r = run("--movie", keys("k.lkf", content), f"m{i}.avi", "speckle.tif", "--codec", "raw", "--size", "256x192",
                *options)
        s = run("--render", "speckle.tif", "still.bmp", "--size", "256x192", *still)
        if r.returncode or s.returncode or rgb(f"m{i}.avi", frame) != rgb("still.bmp"):
            fail(f"frame {frame} of {content} {options} is not --render {still}: {r.stderr} {s.stderr}")
    if len({rgb("m0.avi", f) for f in (0, 5, 10)}) != 3:
        fail("the crop, the plane and the mode did not change the frames")
elif case == "gif":
    # A grey volume turning red: the keyframes' colour goes from [1, 1, 1] to [1, 0, 0], so frame 0
    # is grey and frames 18 to 20 have green and blue at most 1 - 18/20 = 0.1 of red. One palette
    # made from the first frame alone held only greys; the best-quality default holds the reds.
    import numpy as np
    from PIL import Image, ImageSequence
    red = {"fps": 25, "size": [64, 48], "keyframes": [{"frame": 0, "YRot": 0, "Color": [1, 1, 1]},
                                                      {"frame": 20, "YRot": 90, "Color": [1, 0, 0]}]}
    spool = os.path.abspath("spool")
    os.makedirs(spool, exist_ok=True)
    r = subprocess.run([program, "--movie", keys("red.lkf", red), "red.gif", volume], capture_output=True, text=True,
                       env=dict(ENV, TMPDIR=spool))
    if r.returncode != 0:
        fail(f"red.gif: exit {r.returncode}: {r.stderr}")
    if any(name.startswith("lumetrix-spool") for name in os.listdir(spool)):
        fail(f"spool files were left in the temporary folder: {os.listdir(spool)}")

    def decoded(path):
        with Image.open(path) as im:
            return [np.asarray(f.convert("RGB"), np.float64) for f in ImageSequence.Iterator(im)]

    means = [f.reshape(-1, 3).mean(axis=0) for f in decoded("red.gif")]
    if len(means) != 21:
        fail(f"red.gif has {len(means)} frames")
    if max(abs(means[0][0] - means[0][1]), abs(means[0][0] - means[0][2])) > 1 or means[0][0] < 10:
        fail(f"frame 0 is not grey: {means[0]}")
    for i in (18, 19, 20):  # 5 x rather than 10 x: room for the palette's nearest reds
        if means[i][0] < 10 or means[i][0] < 5 * max(means[i][1], means[i][2]):
            fail(f"frame {i} does not show red: mean RGB {means[i]}")
    # --palette / --dither: GIF movies only, refused (exit 2, naming the option) before the keyframe
    # file or a volume is read; and words they do not know.
    table = [(["absent.lkf", "m.mp4", "absent.tif", "--dither", "fs"], "--dither"),
             (["absent.lkf", "m.avi", "absent.tif", "--palette", "best"], "--palette"),
             (["absent.lkf", "--out-dir", ".", "--format", "avi", "--palette", "web", "absent.tif"], "--palette"),
             (["absent.lkf", "--out-dir", ".", "absent.tif", "--dither", "none"], "--dither"),  # mp4 by default
             (["absent.lkf", "m.gif", "absent.tif", "--palette", "bestest"], "bestest"),
             (["absent.lkf", "m.gif", "absent.tif", "--dither", "diffuse"], "diffuse")]
    for args, words in table:
        r = run("--movie", *args)
        if r.returncode != 2 or words not in r.stderr or "absent" in r.stderr:
            fail(f"{args}: exit {r.returncode}, {r.stderr!r}")
    # The options reach the reduction: a web-safe palette has only multiples of 51 in its channels.
    os.makedirs("out", exist_ok=True)
    r = run("--movie", "red.lkf", "--out-dir", "out", "--format", "gif", "--palette", "web", "--dither", "ordered",
            volume)
    name = "out/" + os.path.splitext(os.path.basename(volume))[0] + ".gif"
    if r.returncode != 0 or not os.path.exists(name):
        fail(f"--format gif --palette web: exit {r.returncode}: {r.stderr}")
    values = np.unique(np.concatenate([f.ravel() for f in decoded(name)]))
    if not set(values.astype(int)) <= set(range(0, 256, 51)) or len(values) < 3:
        fail(f"the web-safe GIF holds the channel values {values}")
else:
    fail("unknown case " + case)
print("1 passed, 0 failed")
