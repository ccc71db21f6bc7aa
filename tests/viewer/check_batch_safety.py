#!/usr/bin/python3
"""The command-line commands on shared machines and in batches: no output over an input or a
read-only file, no two batch movies under one name, sizes and options refused before a volume is
read, nothing left behind by SIGINT/SIGTERM, nothing printed or made in the temporary folder
but the command's own. usage: check_batch_safety.py PROGRAM VOLUME WORKDIR CASE"""
import hashlib, json, os, shutil, signal, stat, subprocess, sys

program, volume, work, case = sys.argv[1:5]
shutil.rmtree(work, ignore_errors=True)
os.makedirs(work)
os.chdir(work)
ENV = dict(os.environ, XDG_CONFIG_HOME=os.path.abspath("config"), XDG_DATA_HOME=os.path.abspath("data"))
TURN = {"fps": 25, "size": [64, 48], "keyframes": [{"frame": 0, "YRot": 0}, {"frame": 20, "YRot": 180}]}


def run(*args, env=ENV):
    return subprocess.run([program, *args], env=env, capture_output=True, text=True)


def fail(text):
    sys.exit("FAIL: " + text)


def write(name, content):
    os.makedirs(os.path.dirname(name) or ".", exist_ok=True)
    with open(name, "w") as f:
        f.write(content if isinstance(content, str) else json.dumps(content))
    return name


def digest(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def make_avi(name):
    subprocess.run(["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", "testsrc=size=24x16:rate=10", "-frames:v",
                    "5", "-c:v", "rawvideo", "-pix_fmt", "bgr24", name], check=True)
    return name


def refused(args, code, words, keep):
    """Runs the command; it must end with `code` (or any non-zero code for None), say every word
    and leave the files in `keep` byte for byte and with their modes."""
    before = {p: (digest(p), os.stat(p).st_mode) for p in keep}
    r = run(*args)
    bad_code = r.returncode == 0 if code is None else r.returncode != code
    if bad_code or not all(w in r.stderr for w in words):
        fail(f"{args}: exit {r.returncode}, {r.stderr!r}, wanted {code} and {words}")
    for p, (d, mode) in before.items():
        if (digest(p), os.stat(p).st_mode) != (d, mode):
            fail(f"{args}: {p} was changed")
    if any(".partial-" in f for _, _, files in os.walk(".") for f in files):
        fail(f"{args}: a partial file was left")


if case == "collisions":
    # Two volumes of one name: refused before either is read (they do not even exist), nothing made.
    r = run("--movie", write("k.lkf", TURN), "--out-dir", "out", "run1/stack.tif", "run2/stack.tif")
    if r.returncode != 2 or not all(w in r.stderr for w in ["run1/stack.tif", "run2/stack.tif", "out/stack.mp4"]):
        fail(f"collision: exit {r.returncode}, {r.stderr!r}")
    if os.path.exists("out"):
        fail("the output folder was made for a refused batch")
    # The output folder: one that is a file is refused before any volume is read; a missing one is made.
    write("plain", "a file")
    r = run("--movie", "k.lkf", "--out-dir", "plain", "missing.tif")
    if r.returncode != 2 or "plain is not a folder" not in r.stderr:
        fail(f"a file as the folder: exit {r.returncode}, {r.stderr!r}")
    r = run("--movie", "k.lkf", "--out-dir", "new/deeper", "--format", "gif", volume)
    if r.returncode != 0 or os.listdir("new/deeper") != [os.path.splitext(os.path.basename(volume))[0] + ".gif"]:
        fail(f"a missing folder: exit {r.returncode}, {r.stderr!r}")
    if os.geteuid() != 0:  # root writes into any folder
        os.makedirs("locked")
        os.chmod("locked", 0o555)
        r = run("--movie", "k.lkf", "--out-dir", "locked", "missing.tif")
        if r.returncode != 2 or "cannot be written to" not in r.stderr:
            fail(f"a read-only folder: exit {r.returncode}, {r.stderr!r}")

elif case == "own_input":
    shutil.copy(volume, "vol.tif")
    write("k.lkf", TURN)
    make_avi("in.avi")
    os.makedirs("sub")
    os.makedirs("leica")
    shutil.copy(volume, "leica/A_z000_ch00.tif")
    os.makedirs("dest")
    os.symlink(os.path.abspath("leica/A_z000_ch00.tif"), "dest/A.tif")
    os.symlink("vol.tif", "vol_link.bmp")  # symbolic link
    os.link("vol.tif", "vol_hard.mp4")  # hard link
    os.symlink("k.lkf", "keys.mp4")
    os.link("in.avi", "in_hard.gif")
    os.makedirs("out")
    os.symlink(os.path.abspath("vol.tif"), "out/vol.mp4")
    # Own-input cases, one per command and kind of path: exit code, words, files to keep.
    table = [
        (["--render", "vol.tif", "vol_link.bmp"], 2, ["vol_link.bmp", "input vol.tif"], ["vol.tif"]),
        (["--render", "sub/../vol_link.bmp", "vol_link.bmp"], 2, ["input sub/../vol_link.bmp"], ["vol.tif"]),
        (["--movie", "k.lkf", "vol_hard.mp4", "vol.tif"], 2, ["input vol.tif"], ["vol.tif"]),
        (["--movie", "k.lkf", "keys.mp4", "vol.tif"], 2, ["input k.lkf"], ["k.lkf"]),
        (["--movie", "k.lkf", "--out-dir", "out", "vol.tif"], 2, ["out/vol.mp4", "input vol.tif"], ["vol.tif"]),
        (["--recompress", "in.avi", "in.avi", "--codec", "raw"], 2, ["input in.avi"], ["in.avi"]),
        (["--recompress", "in.avi", "sub/../in.avi", "--codec", "raw"], 2, ["input in.avi"], ["in.avi"]),
        (["--avi2gif", "in.avi", "in_hard.gif"], 2, ["input in.avi"], ["in.avi"]),
        (["--join-tiff", "sub/../vol.tif", "vol.tif"], 2, ["input vol.tif"], ["vol.tif"]),
        (["--join-tiff", "vol_hard.mp4", "vol.tif"], 2, ["input vol.tif"], ["vol.tif"]),
        (["--convert-leica", "leica", "dest"], 2, ["dest/A.tif", "input leica/A_z000_ch00.tif"],
         ["leica/A_z000_ch00.tif"]),
    ]
    for args, code, words, keep in table:
        refused(args, code, words, keep)
    # A script run by --run saving over its volume: the save fails, the volume stays.
    write("save.scp", 'Sub Main\n  DrawImage\n  SaveBMP "vol_link.bmp"\nEnd Sub\n')
    refused(["--run", "save.scp", "vol.tif"], None, ["input vol.tif"], ["vol.tif", "save.scp"])

elif case == "read_only":
    # An existing target without its owner's write permission is refused, also for root (who
    # could write it): the file and its mode stay.
    write("k.lkf", TURN)
    make_avi("in.avi")
    shutil.copy(volume, "vol.tif")
    table = [(["--render", "vol.tif", "t.bmp"], "t.bmp"), (["--movie", "k.lkf", "t.gif", "vol.tif"], "t.gif"),
             (["--movie", "k.lkf", "--out-dir", ".", "--format", "avi", "vol.tif"], "vol.avi"),
             (["--recompress", "in.avi", "t.avi", "--codec", "raw"], "t.avi"),
             (["--avi2gif", "in.avi", "t2.gif"], "t2.gif"), (["--join-tiff", "t.tif", "vol.tif"], "t.tif")]
    for args, target in table:
        write(target, "an older file")
        os.chmod(target, 0o444)
        refused(args, 2, [target, "read-only"], [target])
    # A script's save over a read-only file fails the same way.
    write("save.scp", 'Sub Main\n  DrawImage\n  SaveBMP "t.bmp"\nEnd Sub\n')
    refused(["--run", "save.scp", "vol.tif"], None, ["t.bmp", "read-only"], ["t.bmp"])

elif case == "sizes":
    write("k.lkf", TURN)
    # --size value, words of the message; None: accepted, so the missing volume is what is reported
    # (which shows that the size is checked before the volume is read).
    table = [("0x0", ["--size 0x0", "width must be at least 1"]), ("1x1", None), ("8192x8192", None),
             ("8193x8192", ["--size 8193x8192", "width must be at most 8192"]),
             ("8192x8193", ["--size 8192x8193", "height must be at most 8192"]),
             ("100000x100000", ["--size 100000x100000", "at most 8192"]),
             ("99999999999999999999x5", ["at most 8192"]), ("640x-5", ["height must be at least 1"]),
             ("garbage", ["--size garbage", "WIDTHxHEIGHT"]), ("640x", ["--size 640x", "WIDTHxHEIGHT"]),
             ("64x48x3", ["WIDTHxHEIGHT"])]
    for size, words in table:
        for args in (["--render", "missing.tif", "m.bmp"], ["--movie", "k.lkf", "m.mp4", "missing.tif"]):
            r = run(*args, "--size", size)
            want = (2, words) if words else (1, ["missing.tif"])
            if r.returncode != want[0] or not all(w in r.stderr for w in want[1]):
                fail(f"{args} --size {size}: exit {r.returncode}, {r.stderr!r}")
    # A keyframe file's size: named with its value and limit, before the volume is read.
    for size, words in [([8193, 48], ["size [8193, 48]", "at most 8192"]), ([64, 1], ["size [64, 1]", "at least 2"])]:
        r = run("--movie", write("big.lkf", dict(TURN, size=size)), "m.mp4", "missing.tif")
        if r.returncode != 1 or not all(w in r.stderr for w in words):
            fail(f"keyframe size {size}: exit {r.returncode}, {r.stderr!r}")
    # A script's recording size.
    write("rec.scp", 'Sub Main\n  If AVIStart("r.avi", 10, 9000, 64) Then Err.Raise 1001\nEnd Sub\n')
    r = run("--run", "rec.scp", volume)
    if r.returncode != 0 or "AVIStart 9000x64: the width must be at most 8192" not in r.stderr:
        fail(f"script size: exit {r.returncode}, {r.stderr!r}")
    if any(f.startswith("m.") or f.startswith("r.") for f in os.listdir(".")):
        fail(f"files were written: {os.listdir('.')}")

elif case == "options":
    write("k.lkf", TURN)
    render = ["--render", "missing.tif", "m.bmp"]
    movie = ["--movie", "k.lkf", "m.mp4", "missing.tif"]
    # Bad values refused with exit 2 and the option named, before the (missing) volume is read.
    table = [(render, "--xrot", v) for v in ("nan", "inf", "-inf", "1e300", "-1e300", "12deg", "")] + \
            [(render, "--yrot", v) for v in ("nan", "1e300")] + \
            [(render, "--range", v) for v in ("1:5:5", "1:nan:3", "1:0:1e300", "0:1:2", "1:2", "x")] + \
            [(c, "--crop", v) for c in (render, movie) for v in ("1,2,3", "0,nan,0,1,0,1", "a,b,c,d,e,f")] + \
            [(c, "--quality", v) for c in (render, movie) for v in ("0", "-1", "nan", "fast")] + \
            [(c, "--mode", "glow") for c in (render, movie)] + \
            [(c, "--clip", v) for c in (render, movie) for v in ("0,0,0,1", "1,0,0", "1,0,0,inf")] + \
            [(movie, "--codec", "no-such-codec"), (movie, "--format", "webm")]
    for args, option, value in table:
        if option == "--format":
            args = ["--movie", "k.lkf", "--out-dir", "o", "missing.tif"]
        r = run(*args, option, value)
        if r.returncode != 2 or option not in r.stderr or value not in r.stderr or "missing.tif" in r.stderr:
            fail(f"{args} {option} {value!r}: exit {r.returncode}, {r.stderr!r}")

elif case == "signals":
    # A long movie interrupted while it is written: the partial file goes, the older movie stays.
    long = {"fps": 25, "size": [64, 48], "keyframes": [{"frame": 0, "YRot": 0}, {"frame": 20000, "YRot": 7200}]}
    write("long.lkf", long)
    for sig in (signal.SIGTERM, signal.SIGINT):
        write("m.avi", "an older movie")
        older = digest("m.avi")
        # A background job may inherit SIGINT ignored; the program leaves an ignored signal alone.
        p = subprocess.Popen([program, "--movie", "long.lkf", "m.avi", volume, "--codec", "raw"], env=ENV,
                             stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                             preexec_fn=lambda: signal.signal(signal.SIGINT, signal.SIG_DFL))
        # Once the partial file holds data, the writer has registered it (a signal in the instant
        # between making the file and registering it would leave it: a window of microseconds).
        def written():
            for f in os.listdir("."):
                try:
                    if f.startswith(".m.avi.partial-") and os.path.getsize(f) > 0:
                        return True
                except FileNotFoundError:
                    pass
            return False
        while not written():
            if p.poll() is not None:
                fail(f"the movie ended before it was interrupted: {p.stderr.read()!r}")
        p.send_signal(sig)
        p.wait()
        # Ended by the signal itself (a shell shows 128 + the signal: 143, 130).
        if p.returncode not in (-sig, 128 + sig):
            fail(f"signal {sig}: exit {p.returncode}")
        left = [f for f in os.listdir(".") if ".partial-" in f]
        if left or digest("m.avi") != older:
            fail(f"signal {sig}: left {left}, older movie kept: {digest('m.avi') == older}")

elif case == "quiet":
    # Without XDG_RUNTIME_DIR and a display (a batch node): nothing on stderr but the command's
    # own words, nothing made in the temporary folder.
    tmp = os.path.abspath("tmp")
    os.makedirs(tmp)
    env = {k: v for k, v in ENV.items() if k not in ("XDG_RUNTIME_DIR", "DISPLAY", "WAYLAND_DISPLAY")}
    env["TMPDIR"] = tmp
    write("k.lkf", TURN)
    make_avi("in.avi")
    write("still.scp", 'Sub Main\n  DrawImage\n  SaveBMP "s.bmp"\nEnd Sub\n')
    for args in (["--info", volume], ["--render", volume, "r.bmp", "--size", "32x32"], ["--run", "still.scp", volume],
                 ["--movie", "k.lkf", "m.gif", volume], ["--recompress", "in.avi", "out.avi", "--codec", "raw"],
                 ["--avi2gif", "in.avi", "a.gif"]):
        r = run(*args, env=env)
        if r.returncode != 0 or r.stderr != "":
            fail(f"{args}: exit {r.returncode}, stderr {r.stderr!r}")
        if os.listdir(tmp):
            fail(f"{args} left {os.listdir(tmp)} in the temporary folder")
else:
    fail("unknown case " + case)
print("1 passed, 0 failed")
