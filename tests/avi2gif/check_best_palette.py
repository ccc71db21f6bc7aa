#!/usr/bin/python3
"""lumetrix --avi2gif --palette best: the GIF, decoded by ffmpeg, is at most 1 dB below (in mean
PSNR against the movie) what ffmpeg's own palettegen/paletteuse makes, and above the optimal
(first-frame) palette. Arguments: PROGRAM WORK."""
import os, subprocess, sys
import numpy as np

program, work = sys.argv[1], sys.argv[2]
os.makedirs(work, exist_ok=True)
W, H = 96, 64
movie = os.path.join(work, "movie.avi")
subprocess.run(["ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", f"mandelbrot=size={W}x{H}:rate=25",
                "-frames:v", "12", "-c:v", "rawvideo", "-pix_fmt", "bgr24", movie], check=True)

def frames(path):
    raw = subprocess.run(["ffmpeg", "-v", "error", "-i", path, "-f", "rawvideo", "-pix_fmt", "rgb24", "-"],
                         check=True, capture_output=True).stdout
    return np.frombuffer(raw, np.uint8).reshape(-1, H, W, 3).astype(np.float64)

source = frames(movie)

def psnr(gif):
    got = frames(gif)
    if got.shape != source.shape:
        sys.exit(f"{gif}: {got.shape[0]} frames, expected {source.shape[0]}")
    mse = ((got - source) ** 2).reshape(len(got), -1).mean(axis=1)
    return float(np.mean(10 * np.log10(255.0 ** 2 / np.maximum(mse, 1e-3))))

def convert(name, *options):
    out = os.path.join(work, name)
    subprocess.run([program, "--avi2gif", movie, out, *options], check=True, capture_output=True)
    return psnr(out)

best, optimal = convert("best.gif", "--palette", "best"), convert("optimal.gif")
ffmpeg_gif = os.path.join(work, "ffmpeg.gif")
subprocess.run(["ffmpeg", "-v", "error", "-y", "-i", movie, "-vf", "split[a][b];[a]palettegen[p];[b][p]paletteuse",
                ffmpeg_gif], check=True)
reference = psnr(ffmpeg_gif)
print(f"best {best:.2f} dB, optimal {optimal:.2f} dB, ffmpeg {reference:.2f} dB")
if best < reference - 1 or best <= optimal:
    sys.exit("the best palette falls short")
