#!/usr/bin/env python3
"""Regenerates the default sounds and the default background picture of Melvanta.

The files this script writes are committed to the repository under data/; the build only copies them
into the program folder. Run it again only when an asset is to change, then commit the new files:

    tools/make-assets.py            # writes data/sounds/*.wav and data/picture/1.jpg

Sounds (Python standard library only): 16-bit PCM, mono, 44100 Hz, peak about -6 dBFS, with short
fade-in and fade-out so that no click is heard.
    alarm.wav    start of a run: two rising chime notes, about 0.6 s
    Timeout.wav  alarm points and reminders: three gentle beeps, about 0.8 s
    Stop.wav     time is up: three falling chime notes, about 1.2 s

Picture: data/picture/1.jpg, 1920x1080, a light grey-blue to warm-white diagonal gradient with a faint
vignette, so that the default black clock digits stand out. The pixels are computed here; ImageMagick
(package "imagemagick", a development-time tool only) encodes them as JPEG.
"""

import array
import math
import os
import random
import shutil
import subprocess
import sys
import tempfile
import wave

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SOUNDS = os.path.join(ROOT, "data", "sounds")
PICTURE = os.path.join(ROOT, "data", "picture")

RATE = 44100
PEAK = 10 ** (-6.0 / 20.0)  # -6 dBFS


# ---------------------------------------------------------------- sounds

def chime_note(freq, start, length, decay):
    """A soft bell-like note: fundamental plus two quickly fading overtones, 6 ms attack."""
    partials = ((1.0, 1.0, 1.0), (2.0, 0.28, 0.45), (3.01, 0.08, 0.3))  # (ratio, level, decay factor)
    attack = 0.006
    def sample(t):
        t -= start
        if t < 0.0 or t >= length:
            return 0.0
        env = min(1.0, t / attack)
        value = 0.0
        for ratio, level, factor in partials:
            value += level * math.exp(-t / (decay * factor)) * math.sin(2.0 * math.pi * freq * ratio * t)
        return env * value
    return sample


def beep(freq, start, length):
    """A gentle beep: sine with a little second harmonic, 12 ms rise, 45 ms fall."""
    rise, fall = 0.012, 0.045
    def sample(t):
        t -= start
        if t < 0.0 or t >= length:
            return 0.0
        env = min(1.0, t / rise, (length - t) / fall)
        env = 0.5 - 0.5 * math.cos(math.pi * max(0.0, env))  # raised-cosine edges
        return env * (math.sin(2.0 * math.pi * freq * t) + 0.15 * math.sin(4.0 * math.pi * freq * t))
    return sample


def render(voices, seconds, fade_out=0.03):
    n = int(round(seconds * RATE))
    data = [0.0] * n
    for i in range(n):
        t = i / RATE
        data[i] = sum(voice(t) for voice in voices)
    # Normalise to the target peak, then fade the very ends so that the file starts and stops at zero.
    top = max(abs(v) for v in data) or 1.0
    scale = PEAK / top
    fade_in_n = int(0.003 * RATE)
    fade_out_n = int(fade_out * RATE)
    for i in range(n):
        g = scale
        if i < fade_in_n:
            g *= i / fade_in_n
        if i >= n - fade_out_n:
            g *= (n - 1 - i) / fade_out_n
        data[i] *= g
    return data


def write_wav(path, data):
    pcm = array.array("h", (max(-32767, min(32767, int(round(v * 32767.0)))) for v in data))
    if sys.byteorder != "little":
        pcm.byteswap()
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(pcm.tobytes())


def make_sounds():
    os.makedirs(SOUNDS, exist_ok=True)
    # G5 then C6: a rising fourth, the second note rings over the first.
    write_wav(os.path.join(SOUNDS, "alarm.wav"),
              render([chime_note(783.99, 0.0, 0.6, 0.16),
                      chime_note(1046.50, 0.17, 0.43, 0.14)], 0.6, fade_out=0.06))
    # Three soft A5 beeps.
    write_wav(os.path.join(SOUNDS, "Timeout.wav"),
              render([beep(880.0, 0.02 + k * 0.26, 0.15) for k in range(3)], 0.8))
    # C6, A5, F5: a falling major triad, the last note rings out.
    write_wav(os.path.join(SOUNDS, "Stop.wav"),
              render([chime_note(1046.50, 0.0, 1.2, 0.22),
                      chime_note(880.00, 0.3, 0.9, 0.24),
                      chime_note(698.46, 0.6, 0.6, 0.28)], 1.2, fade_out=0.12))


# ---------------------------------------------------------------- picture

WIDTH, HEIGHT = 1920, 1080
TOP_LEFT = (203, 216, 230)     # soft grey-blue
BOTTOM_RIGHT = (246, 241, 231)  # pale warm white


def imagemagick():
    """Returns the command that runs ImageMagick's converter, or None."""
    for name in ("magick", "convert-im6.q16", "convert-im6", "convert"):
        for path in filter(None, [shutil.which(name), os.path.join("/usr/bin", name)]):
            if not os.access(path, os.X_OK):
                continue
            try:
                out = subprocess.run([path, "-version"], capture_output=True, text=True, timeout=20).stdout
            except (OSError, subprocess.SubprocessError):
                continue
            if "ImageMagick" in out:
                return path
    return None


def make_picture():
    tool = imagemagick()
    if tool is None:
        sys.exit("ImageMagick not found: apt-get install -y --no-install-recommends imagemagick")
    os.makedirs(PICTURE, exist_ok=True)
    rng = random.Random(1920)
    diag = float(WIDTH * WIDTH + HEIGHT * HEIGHT)
    rows = bytearray()
    for y in range(HEIGHT):
        ny = (y - HEIGHT / 2.0) / (HEIGHT / 2.0)
        for x in range(WIDTH):
            # Position along the diagonal from the top-left to the bottom-right corner, eased.
            p = (x * WIDTH + y * HEIGHT) / diag
            p = p * p * (3.0 - 2.0 * p)
            nx = (x - WIDTH / 2.0) / (WIDTH / 2.0)
            # Faint vignette: at most about 7 % darker in the corners, untouched in the middle.
            r2 = (nx * nx + ny * ny) / 2.0
            shade = 1.0 - 0.07 * r2 * r2 ** 0.5
            for c in range(3):
                v = (TOP_LEFT[c] + (BOTTOM_RIGHT[c] - TOP_LEFT[c]) * p) * shade
                v += 2.0 * (rng.random() - rng.random())  # fine triangular grain, hides banding
                rows.append(max(0, min(255, int(v + 0.5))))
    with tempfile.TemporaryDirectory() as tmp:
        ppm = os.path.join(tmp, "1.ppm")
        with open(ppm, "wb") as f:
            f.write(b"P6\n%d %d\n255\n" % (WIDTH, HEIGHT))
            f.write(rows)
        out = os.path.join(PICTURE, "1.jpg")
        subprocess.run([tool, ppm, "-strip", "-interlace", "none", "-sampling-factor", "1x1",
                        "-quality", "85", out], check=True)


def main():
    make_sounds()
    make_picture()
    for folder in (SOUNDS, PICTURE):
        for name in sorted(os.listdir(folder)):
            path = os.path.join(folder, name)
            print("%-28s %7d bytes" % (os.path.relpath(path, ROOT), os.path.getsize(path)))


if __name__ == "__main__":
    main()
