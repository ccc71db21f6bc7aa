#!/usr/bin/python3
"""--series and the series lines of --info on files written by make_ome_files.py: the chosen
series' size, channels and mean; options out of range or unreadable end every command with
status 2, naming the option, before anything is written. usage: check_series_cli.py PROGRAM"""
import atexit, os, shutil, subprocess, sys, tempfile

program = sys.argv[1]
work = tempfile.mkdtemp()
atexit.register(shutil.rmtree, work, True)
here = os.path.dirname(os.path.abspath(__file__))
subprocess.run(["/usr/bin/python3", os.path.join(here, "..", "imaging", "make_ome_files.py"), work], check=True)
ome, thumb = os.path.join(work, "two_images.ome.tif"), os.path.join(work, "thumb.tif")


def run(*args):
    return subprocess.run([program, *args], capture_output=True, text=True)


def expect(result, code, out=None, err=None):
    if result.returncode != code or (out is not None and result.stdout != out) or (err and err not in result.stderr):
        sys.exit(f"FAIL {result.args[1:]}: {result.returncode}\n{result.stdout}{result.stderr}")


# Series 2 of two_images: two 8x6 planes of 100 and 101, mean 100.50; voxel from its Pixels.
listing = 'series 1: 16x12x3 2ch "main"\nseries 2: 8x6x1 2ch "overview"\n'
expect(run("--info", ome, "--series", "2"), 0, "8x6x1 2ch 100.50\nchannels 2 (8-bit)\ntimepoints 1\n"
       "voxel 0.5 x 0.5 x 2 µm\n" + listing)
# Series 1 of thumb: three planes of 1, 2 and 3 (1 + z), mean 2.00; a thumbnail as series 2.
expect(run("--info", thumb), 0, "16x12x3 grey 2.00\nchannels 1 (8-bit)\ntimepoints 1\nvoxel unknown\n"
       "series 1: 16x12x3 1ch\nseries 2: 4x3x1 1ch reduced resolution\n")
script = os.path.join(work, "s.scp")
with open(script, "w") as f:
    f.write("Sub Main\nEnd Sub\n")
keys = os.path.join(work, "k.lkf")
with open(keys, "w") as f:
    f.write('{"fps": 25, "size": [32, 24], "keyframes": [{"frame": 0}, {"frame": 2}]}')
for args, bad in [(["--info", ome, "--series", "3"], "--series 3"), (["--info", thumb, "--series", "0"], "--series 0"),
                  (["--info", ome, "--series", "two"], "--series two"),
                  (["--render", ome, os.path.join(work, "r.bmp"), "--series", "3"], "--series 3"),
                  (["--run", script, ome, "--series", "9"], "--series 9"),
                  (["--movie", keys, os.path.join(work, "m.avi"), ome, "--series", "-1"], "--series -1")]:
    expect(run(*args), 2, err=bad)
if os.path.exists(os.path.join(work, "r.bmp")) or os.path.exists(os.path.join(work, "m.avi")):
    sys.exit("FAIL: a refused command wrote its output")
expect(run("--render", ome, os.path.join(work, "r.bmp"), "--series", "2", "--size", "32x24"), 0)
expect(run("--run", script, ome, "--series", "2"), 0)
print("ok")
