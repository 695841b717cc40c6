#!/usr/bin/env python3
"""Photo-format benchmarks: probing a folder of 10,000 tiles of mixed formats, and decoding PNG
and WebP beside the reference tools pngtopnm and dwebp on the same files.

    bench/photo_formats.py [--tool build/bench/mozaikon_formats] [--dir DIR] [--reps N]

The files are made once in DIR (default ~/.cache/quillet-poster-formats) from Debian's free
photographs in /usr/share/backgrounds (scripts/bench installs them). Each decode is timed as one
process per file, ours and the reference alternately, so that the machine's load falls on both;
the figures are medians.
"""
import argparse
import glob
import os
import shutil
import statistics
import subprocess
import time

PROBE_FILES = 10_000
FORMATS = ("jpg", "png", "webp", "heic", "avif")


def run(cmd, **kwargs):
    subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, **kwargs)


def sources(count):
    photos = sorted(glob.glob("/usr/share/backgrounds/*.jpg"))
    if len(photos) < count:
        raise SystemExit("too few photographs in /usr/share/backgrounds: run scripts/bench once")
    return photos[:count]


def make(target, cmd):
    if not os.path.exists(target):
        run(cmd)
    return target


def encode(png, base):
    """The same picture as JPEG, PNG, WebP, HEIC and AVIF."""
    return [
        make(base + ".jpg", ["convert", png, "-quality", "85", base + ".jpg"]),
        png,
        make(base + ".webp", ["cwebp", "-quiet", "-q", "80", png, "-o", base + ".webp"]),
        make(base + ".heic", ["heif-enc", "-q", "60", png, "-o", base + ".heic"]),
        make(base + ".avif", ["heif-enc", "-q", "60", png, "-o", base + ".avif"]),
    ]


def probe_set(root):
    folder = os.path.join(root, "probe")
    if len(os.listdir(folder) if os.path.isdir(folder) else []) == PROBE_FILES:
        return folder
    bases = os.path.join(root, "probe-bases")
    os.makedirs(bases, exist_ok=True)
    files = []
    for i, photo in enumerate(sources(4)):
        png = make(os.path.join(bases, f"p{i}.png"),
                   ["convert", photo, "-resize", "1024x", os.path.join(bases, f"p{i}.png")])
        files += encode(png, os.path.join(bases, f"p{i}"))
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    for n in range(PROBE_FILES):
        source = files[n % len(files)]
        shutil.copyfile(source, os.path.join(folder, f"tile{n:05d}.{source.rsplit('.', 1)[1]}"))
    return folder


def measure_probe(tool, folder, reps):
    rates = []
    for _ in range(reps + 1):  # the first run warms the cache
        out = subprocess.run([tool, "probe", folder], check=True, capture_output=True, text=True)
        rates.append(float(out.stdout.split(": ")[1].split()[0]))
    return statistics.median(rates[1:])


def timed(cmd):
    start = time.perf_counter()
    run(cmd)
    return time.perf_counter() - start


def decode_set(root):
    folder = os.path.join(root, "decode")
    os.makedirs(folder, exist_ok=True)
    pngs, webps = [], []
    for i, photo in enumerate(sources(3)):
        png = make(os.path.join(folder, f"d{i}.png"), ["convert", photo, os.path.join(folder, f"d{i}.png")])
        pngs.append(png)
        webps.append(make(png[:-4] + ".webp", ["cwebp", "-quiet", "-q", "80", png, "-o", png[:-4] + ".webp"]))
        webps.append(make(png[:-4] + "-lossless.webp",
                          ["cwebp", "-quiet", "-lossless", "-z", "1", png, "-o", png[:-4] + "-lossless.webp"]))
    return pngs, webps


def compare(tool, files, reference, reps):
    ours, theirs = [], []
    for _ in range(reps):
        for f in files:
            theirs.append(timed(reference(f)))
            ours.append(timed([tool, "decode", f]))
    return statistics.median(ours), statistics.median(theirs)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tool", default="build/bench/mozaikon_formats")
    parser.add_argument("--dir", default=os.path.expanduser("~/.cache/quillet-poster-formats"))
    parser.add_argument("--reps", type=int, default=5)
    args = parser.parse_args()
    os.makedirs(args.dir, exist_ok=True)

    rate = measure_probe(args.tool, probe_set(args.dir), args.reps)
    print(f"probe   {PROBE_FILES:,} tiles ({', '.join(FORMATS)}): {rate:,.0f} files/s warm (target 5,000)")
    pngs, webps = decode_set(args.dir)
    for name, files, reference in (
        ("PNG ", pngs, lambda f: ["pngtopnm", f]),
        ("WebP", webps, lambda f: ["dwebp", f, "-ppm", "-o", "/dev/null"]),
    ):
        ours, theirs = compare(args.tool, files, reference, args.reps)
        print(f"decode  {name} median {ours * 1000:7.1f} ms, reference {theirs * 1000:7.1f} ms: "
              f"ratio {ours / theirs:.2f} (target 1.10 at most)")


if __name__ == "__main__":
    main()
