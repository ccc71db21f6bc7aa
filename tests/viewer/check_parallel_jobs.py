#!/usr/bin/python3
"""Sixteen `lumetrix --render ... OUT.jpg` jobs at once in one temporary folder, and a second user
after the first in the same shared temporary folder: each job writes its own picture of its own
angle, nothing is left in the temporary folder.
usage: check_parallel_jobs.py PROGRAM DATA_FOLDER WORKDIR"""
import io, os, shutil, stat, subprocess, sys, tempfile

import numpy as np
import tifffile
from PIL import Image

program, data_folder, work = sys.argv[1:4]
shutil.rmtree(work, ignore_errors=True)
os.makedirs(work)
os.chdir(work)
# A sticky, world-writable temporary folder shared by every job, as /tmp is.
shared_tmp = os.path.abspath("tmp")
os.mkdir(shared_tmp)
os.chmod(shared_tmp, 0o1777)
ENV = dict(os.environ, TMPDIR=shared_tmp, XDG_CONFIG_HOME=os.path.abspath("config"),
           XDG_DATA_HOME=os.path.abspath("data"))

# A bright bar off the axis of the turn: its picture moves across the frame as the angle changes.
volume = np.zeros((16, 64, 64), np.uint8)
volume[4:12, 8:56, 44:52] = 220
tifffile.imwrite("bar.tif", volume)
ANGLES = [i * 22.5 for i in range(16)]
failures = []


def render(out, angle, env=ENV, prefix=()):
    return subprocess.Popen([*prefix, program, "--render", "bar.tif", out, "--size", "96x96", "--yrot", str(angle)],
                            env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)


def grey(path):
    with open(path, "rb") as f:
        return np.asarray(Image.open(io.BytesIO(f.read())).convert("L"), np.float64)


jobs = [render(f"par{i}.jpg", a) for i, a in enumerate(ANGLES)]
for i, job in enumerate(jobs):
    out, err = job.communicate()
    if job.returncode != 0:
        failures.append(f"parallel job {i}: exit {job.returncode} {err.strip()}")
for i, a in enumerate(ANGLES):  # the same angles one after the other, as lossless pictures
    job = render(f"one{i}.bmp", a)
    job.communicate()
    if job.returncode != 0:
        failures.append(f"single job {i}: exit {job.returncode}")
if failures:
    print("\n".join(failures))
    sys.exit(1)

singles = [grey(f"one{i}.bmp") for i in range(len(ANGLES))]
for i in range(len(ANGLES)):
    picture = grey(f"par{i}.jpg")
    errors = [np.abs(picture - s).mean() for s in singles]
    # JPEG at its quality costs well under 2 levels on average here; pictures of other angles
    # differ by far more (checked below), so the nearest must be the job's own angle.
    if int(np.argmin(errors)) != i or errors[i] > 2:
        failures.append(f"parallel job {i} ({ANGLES[i]} deg): mean differences to the single pictures {np.round(errors, 1)}")
for i in range(len(ANGLES) - 1):
    if np.abs(singles[i] - singles[i + 1]).mean() < 4:
        failures.append(f"angles {ANGLES[i]} and {ANGLES[i + 1]} give nearly the same picture: the check proves nothing")
left = os.listdir(shared_tmp)
if left:
    failures.append(f"left in the temporary folder: {left}")

# A second user: a uid no one has, running the program from a copy every user can reach (the
# build folder may be private), after the first user's job in the same temporary folder.
if os.geteuid() != 0 or not shutil.which("setpriv"):
    print("second user: skipped (needs root and setpriv to run as another uid)")
else:
    other = 54321
    shared = tempfile.mkdtemp(prefix="lumetrix-two-users-", dir="/tmp")
    try:
        os.chmod(shared, 0o755)
        shutil.copy2(program, os.path.join(shared, "lumetrix"))
        shutil.copytree(data_folder, os.path.join(shared, "data"))
        home = os.path.join(shared, "home")
        os.mkdir(home)
        os.chown(home, other, other)
        shutil.copy2("bar.tif", os.path.join(shared, "bar.tif"))
        tmp2 = os.path.join(shared, "tmp")
        os.mkdir(tmp2)
        os.chmod(tmp2, 0o1777)
        for who, out, prefix in [("first user", "first.jpg", ()),
                                 ("second user", "home/second.jpg",
                                  ("setpriv", f"--reuid={other}", f"--regid={other}", "--clear-groups"))]:
            env = dict(os.environ, TMPDIR=tmp2, HOME=home, LUMETRIX_DATA_DIR=os.path.join(shared, "data"),
                       XDG_CONFIG_HOME=os.path.join(home, ".config"), XDG_DATA_HOME=os.path.join(home, ".local"),
                       XDG_CACHE_HOME=os.path.join(home, ".cache"))
            # As `sudo -u` keeps them: the first user's display, which the second may not open.
            env.pop("XDG_RUNTIME_DIR", None)
            job = subprocess.run([*prefix, os.path.join(shared, "lumetrix"), "--render", os.path.join(shared, "bar.tif"),
                                  os.path.join(shared, out), "--size", "96x96", "--yrot", "45"],
                                 env=env, capture_output=True, text=True, cwd=shared)
            if job.returncode != 0:
                failures.append(f"{who}: exit {job.returncode} {job.stderr.strip()}")
                continue
            diff = np.abs(grey(os.path.join(shared, out)) - singles[2]).mean()  # 45 degrees = ANGLES[2]
            if diff > 2:
                failures.append(f"{who}: picture differs from the 45 degree one by {diff:.1f} levels on average")
        left = os.listdir(tmp2)
        if left:
            failures.append(f"left in the shared temporary folder by the two users: {left}")
    finally:
        shutil.rmtree(shared, ignore_errors=True)

print("\n".join(failures) if failures else "all jobs wrote their own pictures")
sys.exit(1 if failures else 0)
