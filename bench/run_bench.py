#!/usr/bin/python3
"""End-to-end timings of `mozaikon-cli build` beside the floor of the same work and beside peers.

The data set (one main photo of 4000 x 3000 and 1000 tile JPEGs of 1 to 3 megapixels) is made
once from the photographs that Debian's wallpaper packages ship and reused afterwards; every
tile is a fixed crop, flip, turn and scale of one source photo, chosen from its number, so the set
is the same on every machine with the same packages. The programs then run interleaved,
repetition by repetition, so that a busy neighbour slows all of them alike. One markdown table
goes to standard output and to DIR/results.md.
"""
import argparse
import json
import math
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
from concurrent.futures import ThreadPoolExecutor
from dataclasses import dataclass
from pathlib import Path

DATASET_VERSION = 1
SOURCE_PACKAGES = ("mate-backgrounds", "lomiri-wallpapers-16.04", "lomiri-wallpapers-20.04")
MAIN_SOURCE = "Dragonfly_by_Bolly.jpg"  # 4224 x 3168: the 4:3 photograph closest to 4000 x 3000
MAIN_SIZE = (4000, 3000)
TILE_COUNT = 1000
SET_SIZES = (50, 200, 1000)
PRESCALE_BOX = 2400  # long side of each source before cropping: crops of 55-100 % keep 1-3 MP
TILE_JPEG_QUALITY = 90  # about what a camera or a photo site hands out
JOBS = 2  # conversions at a time while the data set is made

PRINT_WIDTH_INCHES = 20
DPI = 600
SEED = 2026
POSTER_QUALITY = 75  # --quality medium
# metapixel with one setting for every set: a square of 5 x 5 cells free of repeats and the
# mosaic blended half-way towards the main image, like our equal emphasis. Its default distance
# (5, an 11 x 11 square) makes its search for an unused tile much longer than the mosaic itself
# with few tiles, and a distance that follows the tile count compares different work per row.
METAPIXEL_DISTANCE = 2
METAPIXEL_CHEAT = 50
OURS = "mozaikon-cli build"
OURS_ONE_THREAD = "mozaikon-cli build --threads 1"
REBUILD = "rebuild after emphasis change"
FLOOR = "floor (libjpeg only)"


@dataclass(frozen=True)
class Poster:
    name: str
    fraction: int


POSTERS = (Poster("3000 x 2250", 4), Poster("12000 x 9000", 1))
# --wall: posters laid straight into their files, 20 and 60 inches wide at 600 dpi, fraction 1,
# and printed from a scratch file to a PDF of letter pages (its pictures JPEG).
WALL_POSTERS = ((20, "12000 x 9000"), (60, "36000 x 27000"))
WALL_FORMATS = ("png", "jpg", "pdf")
WALL_TILES = 200


class BenchError(Exception):
    pass


def run_text(cmd, **kwargs):
    return subprocess.run(cmd, check=True, capture_output=True, text=True, **kwargs).stdout


# ---------------------------------------------------------------------------------------------
# The data set


def unit(tile, field):
    """A number in [0, 1) fixed by the tile number and the field: a 32-bit integer hash, so that
    no library's random generator can change the set."""
    x = (tile * 0x9E3779B1 + field * 0x85EBCA77 + 0x165667B1) & 0xFFFFFFFF
    x = ((x ^ (x >> 15)) * 0x2C1B3C6D) & 0xFFFFFFFF
    x = ((x ^ (x >> 12)) * 0x297A2D39) & 0xFFFFFFFF
    return (x ^ (x >> 15)) / 2**32


def source_photos():
    """The packages' JPEG photographs, one copy of each picture (some ship at several sizes as
    name.jpg, name_3840x2160.jpg...: the largest file is kept)."""
    try:
        listing = run_text(["dpkg", "-L", *SOURCE_PACKAGES])
    except subprocess.CalledProcessError as error:
        raise BenchError(f"the photographs are missing: {error.stderr.strip()}") from error
    by_picture = {}
    for line in sorted(set(listing.splitlines())):
        path = Path(line)
        if not (line.startswith("/usr/share/backgrounds/") and path.suffix == ".jpg"):
            continue
        key = re.sub(r"_\d+x\d+$", "", path.stem)
        kept = by_picture.get(key)
        if kept is None or path.stat().st_size > kept.stat().st_size:
            by_picture[key] = path
    photos = sorted(by_picture.values())
    mains = [p for p in photos if p.name == MAIN_SOURCE]
    if not mains:
        raise BenchError(f"{MAIN_SOURCE} is not among the photographs of {SOURCE_PACKAGES}")
    return mains[0], [p for p in photos if p.name != MAIN_SOURCE]


def image_size(path):
    width, height = run_text(["identify", "-format", "%w %h", str(path)]).split()
    return int(width), int(height)


def tile_recipe(tile, source_size):
    """ImageMagick operations that turn a pre-scaled source into tile number `tile`."""
    width, height = source_size
    crop_w = int(width * (0.55 + 0.45 * unit(tile, 1)))
    crop_h = int(height * (0.55 + 0.45 * unit(tile, 2)))
    left = int((width - crop_w) * unit(tile, 3))
    top = int((height - crop_h) * unit(tile, 4))
    ops = ["-crop", f"{crop_w}x{crop_h}+{left}+{top}", "+repage"]
    flips = int(unit(tile, 5) * 4)
    if flips & 1:
        ops.append("-flop")
    if flips & 2:
        ops.append("-flip")
    if unit(tile, 6) < 0.25:  # a quarter of the tiles upright, so that tiles get turned
        ops += ["-rotate", "90"]
    area = int(1_000_000 + 2_000_000 * unit(tile, 7))
    return ops + ["-resize", f"{area}@"]


def convert_atomically(args, target, env):
    """Runs convert into a temporary name and renames, so that an interrupted run leaves no
    half-written file that a later run would take as done."""
    temp = target.with_name(target.name + ".part")
    subprocess.run(["convert", *args, f"{target.suffix[1:]}:{temp}"], check=True,
                   capture_output=True, env=env)
    os.replace(temp, target)


class DataSet:
    def __init__(self, root):
        self.root = root
        self.main = root / "main.jpg"
        self.tiles_dir = root / "tiles"
        self.stamp = root / "dataset.json"

    def tile(self, number):
        return self.tiles_dir / f"t{number:04d}.jpg"

    def tile_list(self, count):
        return self.root / f"tiles-{count}.txt"

    def set_dir(self, count):
        """A folder of links to the first `count` tiles, for programs that take a folder."""
        return self.root / "sets" / str(count)

    def tiles(self, count):
        return [self.tile(number) for number in range(count)]

    def ensure(self):
        """Makes the set unless this version made it already; the lists name the tiles by
        absolute path, so they are written afresh in case the folder was moved."""
        if not self._ready():
            self._make()
        self._write_lists()

    def _ready(self):
        if not self.stamp.exists():
            return False
        return json.loads(self.stamp.read_text()).get("version") == DATASET_VERSION

    def _make(self):
        if self.stamp.exists():  # made by another version of this script
            for stale in (self.tiles_dir, self.root / "sets", self.main, self.stamp):
                shutil.rmtree(stale) if stale.is_dir() else stale.unlink(missing_ok=True)
        main_source, sources = source_photos()
        print(f"Making the data set in {self.root} from {len(sources) + 1} photographs "
              f"(once; two conversions at a time)", flush=True)
        self.tiles_dir.mkdir(parents=True, exist_ok=True)
        env = dict(os.environ, MAGICK_THREAD_LIMIT="1")  # the same pixels on any core count
        jpeg = ["-quality", str(TILE_JPEG_QUALITY), "-sampling-factor", "2x2"]
        if not self.main.exists():
            convert_atomically([str(main_source), "-auto-orient", "-resize",
                                "{}x{}!".format(*MAIN_SIZE), *jpeg], self.main, env)
        with tempfile.TemporaryDirectory(dir=self.root) as scratch:
            prescaled = self._prescale(sources, Path(scratch), env)
            sizes = [image_size(p) for p in prescaled]
            self._make_tiles(prescaled, sizes, jpeg, env)
        self.stamp.write_text(json.dumps({
            "version": DATASET_VERSION, "main": main_source.name,
            "sources": [p.name for p in sources], "tiles": TILE_COUNT,
            "imagemagick": run_text(["convert", "-version"]).splitlines()[0]}, indent=1) + "\n")

    def _prescale(self, sources, scratch, env):
        targets = [scratch / f"{i:02d}.ppm" for i in range(len(sources))]

        def prescale(i):
            box = f"{PRESCALE_BOX}x{PRESCALE_BOX}"
            subprocess.run(["convert", str(sources[i]), "-auto-orient", "-resize", box,
                            "-depth", "8", "-type", "TrueColor", str(targets[i])],
                           check=True, capture_output=True, env=env)

        with ThreadPoolExecutor(JOBS) as pool:
            list(pool.map(prescale, range(len(sources))))
        return targets

    def _make_tiles(self, prescaled, sizes, jpeg, env):
        def make(number):
            target = self.tile(number)
            if target.exists():
                return
            source = number % len(prescaled)
            args = [str(prescaled[source]), *tile_recipe(number, sizes[source]),
                    "-depth", "8", "-type", "TrueColor", *jpeg]
            convert_atomically(args, target, env)
            if number % 100 == 99:
                print(f"  {number + 1} tiles", flush=True)

        with ThreadPoolExecutor(JOBS) as pool:
            list(pool.map(make, range(TILE_COUNT)))

    def _write_lists(self):
        for count in SET_SIZES:
            self.tile_list(count).write_text("".join(f"{p}\n" for p in self.tiles(count)))
            folder = self.set_dir(count)
            folder.mkdir(parents=True, exist_ok=True)
            for tile in self.tiles(count):
                link = folder / tile.name
                if not link.is_symlink():
                    link.symlink_to(os.path.relpath(tile, folder))


# ---------------------------------------------------------------------------------------------
# Measuring


@dataclass
class Sample:
    wall: float  # seconds
    cpu: float  # user + system seconds
    rss_mb: float  # peak resident set of the largest process

    def __add__(self, other):
        return Sample(self.wall + other.wall, self.cpu + other.cpu,
                      max(self.rss_mb, other.rss_mb))


def time_v_field(report, name):
    match = re.search(rf"^\s*{re.escape(name)}: (.+)$", report, re.MULTILINE)
    if not match:
        raise BenchError(f"/usr/bin/time gave no '{name}'")
    return float(match.group(1))


def measure(cmd, cwd=None, env=None):
    """Runs cmd under /usr/bin/time -v; returns the sample and the program's standard output."""
    with tempfile.NamedTemporaryFile("r", suffix=".time") as report:
        start = time.perf_counter()
        proc = subprocess.run(["/usr/bin/time", "-v", "-o", report.name, *map(str, cmd)],
                              cwd=cwd, env=env, capture_output=True, text=True)
        wall = time.perf_counter() - start
        text = report.read()
    if proc.returncode != 0:
        last = (proc.stderr.strip().splitlines() or ["no message"])[-1]
        raise BenchError(f"{Path(str(cmd[0])).name} failed ({proc.returncode}): {last}")
    cpu = time_v_field(text, "User time (seconds)") + time_v_field(text, "System time (seconds)")
    rss = time_v_field(text, "Maximum resident set size (kbytes)") / 1024
    return Sample(wall, cpu, rss), proc.stdout


def warm_cache(paths):
    """Reads the inputs once so that every program, the first included, finds them in memory."""
    for path in paths:
        with open(path, "rb") as f:
            while f.read(1 << 20):
                pass


# ---------------------------------------------------------------------------------------------
# The programs


@dataclass(frozen=True)
class Geometry:
    across: int
    down: int
    cell_w: int
    cell_h: int
    width: int
    height: int


def parse_geometry(stdout):
    tiles = re.search(r"(\d+) across x (\d+) down, (\d+) x (\d+) pixels each", stdout)
    poster = re.search(r"^poster\s+([\d,]+) x ([\d,]+) pixels", stdout, re.MULTILINE)
    if not (tiles and poster):
        raise BenchError(f"mozaikon-cli build printed no geometry:\n{stdout}")
    numbers = [int(g.replace(",", "")) for g in tiles.groups() + poster.groups()]
    return Geometry(*numbers)


def metapixel_grid(geo):
    """Cell size and scale for metapixel, which scales the main image by --scale (truncating) and
    then enlarges it to whole cells: the cell counts that match ours best, then the cell size
    nearest ours. Returns (w, h, scale)."""
    main_w, main_h = MAIN_SIZE
    best = None
    for w in range(max(2, geo.cell_w * 3 // 4), geo.cell_w * 5 // 4 + 2):
        scale = (geo.across * w - 0.5) / main_w
        scaled_h = int(main_h * scale)
        for h in range(max(2, geo.cell_h * 3 // 4), geo.cell_h * 5 // 4 + 2):
            down = math.ceil(scaled_h / h)
            key = (abs(down - geo.down), abs(w * h - geo.cell_w * geo.cell_h))
            if best is None or key < best[0]:
                best = (key, (w, h, round(scale, 6)))
    return best[1]


class Runner:
    def __init__(self, args, data):
        self.args = args
        self.data = data
        self.work = data.root / "run"
        shutil.rmtree(self.work, ignore_errors=True)
        self.work.mkdir(parents=True)
        self.magick_env = self._magick_env()
        self.samples = {}  # (tiles, poster name, program) -> [Sample per repetition]
        self.outputs = {}  # (tiles, poster name, program) -> size of the poster file in MB
        self.notes = {}  # (tiles, poster name, program) -> what the program was asked to do
        self.geometry = {}  # (tiles, poster name) -> Geometry
        self.threads = {}  # program -> threads it runs on

    def _magick_env(self):
        """Debian's ImageMagick policy allows 256 MiB of memory and 1 GiB of disk cache, too
        little for a poster; a policy file of our own in the scratch folder raises the limits for
        these runs only."""
        folder = self.work / "magick"
        folder.mkdir()
        limits = {"memory": "16GiB", "map": "16GiB", "disk": "32GiB", "area": "4GP",
                  "width": "64KP", "height": "64KP"}
        policies = "".join(f'  <policy domain="resource" name="{k}" value="{v}"/>\n'
                           for k, v in limits.items())
        (folder / "policy.xml").write_text(f"<policymap>\n{policies}</policymap>\n")
        return dict(os.environ, MAGICK_CONFIGURE_PATH=str(folder))

    def magick_runs(self, key):
        """ImageMagick's montage of the large poster takes about a minute and a half whatever
        the tile count (it follows the grid), so by default it runs with the largest set only."""
        count, poster_name = key
        return self.args.all_peers or poster_name != POSTERS[-1].name or count == SET_SIZES[-1]

    def record(self, key, program, sample, output, note, threads=1):
        self.samples.setdefault(key + (program,), []).append(sample)
        self.outputs[key + (program,)] = output.stat().st_size / 2**20 if output else 0
        self.notes[key + (program,)] = note
        self.threads[program] = threads

    def run(self, tile_counts, posters):
        for count in tile_counts:
            print(f"== {count} tiles", flush=True)
            warm_cache([self.data.main, *self.data.tiles(count)])
            for rep in range(self.args.reps):
                print(f"   repetition {rep + 1} of {self.args.reps}", flush=True)
                self.run_repetition(count, posters)
            for poster in posters:
                self.poster_ppm(poster).unlink(missing_ok=True)

    def run_repetition(self, count, posters):
        """Work that does not depend on the poster size (decoding the tiles for the reference,
        preparing metapixel's library) is timed once and counted in each poster's total."""
        djpeg = self.time_djpeg(count)
        prepare = self.time_metapixel_prepare(count)
        for poster in posters:
            key = (count, poster.name)
            geo = self.time_mozaikon(key, count, poster)
            self.time_mozaikon(key, count, poster, threads=1)
            self.time_rebuild(key, count, poster)
            self.time_floor(key, count, poster, geo)
            self.time_cjpeg(key, count, poster, djpeg)
            self.time_metapixel(key, count, geo, prepare)
            self.time_imagemagick(key, count, geo)
            latest = {p: s[-1].wall for (c, n, p), s in self.samples.items() if (c, n) == key}
            print(f"     {poster.name}: " + ", ".join(f"{p} {t:.1f} s" for p, t in latest.items()),
                  flush=True)

    def poster_ppm(self, poster):
        """Our poster of the current set, decoded once: the pixels the encoders are given."""
        return self.work / f"poster-{poster.fraction}.ppm"

    def time_mozaikon(self, key, count, poster, threads=None):
        """threads None: the default, one thread per core."""
        out = self.work / "mozaikon.jpg"
        thread_args = ["--threads", threads] if threads else []
        sample, stdout = measure([
            self.args.cli, "build", self.data.main, "--tile-list", self.data.tile_list(count),
            "--print-width", PRINT_WIDTH_INCHES, "--dpi", DPI, "--fraction", poster.fraction,
            "--size", "medium", "--quality", "medium", "--seed", SEED, *thread_args, "-o", out])
        geo = parse_geometry(stdout)
        if self.geometry.setdefault(key, geo) != geo:
            raise BenchError(f"the geometry changed between repetitions: {geo}")
        ppm = self.poster_ppm(poster)
        if not ppm.exists():  # the floor and the reference encoder compress these very pixels
            subprocess.run(["djpeg", "-outfile", ppm, out], check=True)
        note = (f"{geo.across}x{geo.down} cells of {geo.cell_w}x{geo.cell_h}, "
                f"poster {geo.width}x{geo.height}")
        self.record(key, OURS_ONE_THREAD if threads else OURS, sample, out, note,
                    threads or os.cpu_count())
        return geo

    def time_rebuild(self, key, count, poster):
        """The window's rebuild after an emphasis change: the engine call with the shaped tiles
        kept from a first build in the same process (no saving)."""
        sample, stdout = measure([
            self.args.rebuild, self.data.main, self.data.tile_list(count), PRINT_WIDTH_INCHES,
            DPI, poster.fraction, SEED, 0])
        times = dict(re.findall(r"^(first|rebuild) ([\d.]+)$", stdout, re.MULTILINE))
        if set(times) != {"first", "rebuild"}:
            raise BenchError(f"mozaikon_rebuild printed no times:\n{stdout}")
        first, rebuild = float(times["first"]), float(times["rebuild"])
        self.record(key, REBUILD, Sample(rebuild, 0, sample.rss_mb), None,
                    f"engine only, {rebuild / first:.3f} x its first build of {first:.2f} s "
                    f"in the same process", os.cpu_count())

    def time_floor(self, key, count, poster, geo):
        out = self.work / "floor.jpg"
        sample, _ = measure([self.args.floor, out, POSTER_QUALITY, self.poster_ppm(poster),
                             self.data.main, self.data.tile_list(count)])
        self.record(key, FLOOR, sample, out,
                    f"decode {count + 1} files, encode our {geo.width}x{geo.height} poster's "
                    f"pixels (read from PPM)")

    def time_djpeg(self, count):
        listing = self.work / "djpeg-inputs.txt"
        listing.write_text("".join(f"{p}\n" for p in [self.data.main, *self.data.tiles(count)]))
        sample, _ = measure(["xargs", "-a", listing, "-n", "1", "djpeg", "-dct", "fast",
                             "-nosmooth", "-outfile", "/dev/null"])
        return sample

    def time_cjpeg(self, key, count, poster, djpeg):
        out = self.work / "cjpeg.jpg"
        sample, _ = measure(["cjpeg", "-quality", POSTER_QUALITY, "-optimize", "-outfile", out,
                             self.poster_ppm(poster)])
        self.record(key, "djpeg + cjpeg", djpeg + sample, out,
                    f"djpeg of {count + 1} files one by one, cjpeg of our poster as PPM")

    def time_metapixel_prepare(self, count):
        library = self.work / "metapixel-library"
        shutil.rmtree(library, ignore_errors=True)
        library.mkdir()
        sample, _ = measure(["metapixel-prepare", self.data.set_dir(count), library])
        prepared = len(list(library.glob("*.png")))
        if prepared != count:  # it skips a file it cannot read and still succeeds
            raise BenchError(f"metapixel-prepare prepared {prepared} of {count} tiles")
        return sample

    def time_metapixel(self, key, count, geo, prepare):
        w, h, scale = metapixel_grid(geo)
        protocol = self.work / "metapixel-protocol.txt"
        out = self.work / "metapixel.jpg"
        sample, _ = measure([
            "metapixel", "--library", self.work / "metapixel-library", "--width", w,
            "--height", h, "--scale", scale, "--distance", METAPIXEL_DISTANCE,
            "--cheat", METAPIXEL_CHEAT, "--out", protocol, "--metapixel", self.data.main, out])
        match = re.search(r"\(size (\d+) (\d+)\)", protocol.read_text())
        if not match:
            raise BenchError("metapixel wrote no mosaic size in its protocol")
        across, down = (int(g) for g in match.groups())
        self.record(key, "metapixel", prepare + sample, out,
                    f"prepare + mosaic of {across}x{down} cells of {w}x{h} (ours "
                    f"{geo.across}x{geo.down}), --scale {scale}, "
                    f"--distance {METAPIXEL_DISTANCE} --cheat {METAPIXEL_CHEAT}")

    def time_imagemagick(self, key, count, geo):
        if not self.magick_runs(key):
            return
        small = self.work / "magick-small"
        shutil.rmtree(small, ignore_errors=True)
        small.mkdir()
        cell = f"{geo.cell_w}x{geo.cell_h}"
        resize, _ = measure(["mogrify", "-path", small, "-format", "ppm", "-resize", f"{cell}^",
                             "-gravity", "center", "-extent", cell, *self.data.tiles(count)],
                            env=self.magick_env)
        names = [f"t{n % count:04d}.ppm" for n in range(geo.across * geo.down)]
        out = self.work / "magick.jpg"
        montage, _ = measure(["montage", *names, "-tile", f"{geo.across}x{geo.down}",
                              "-geometry", f"{cell}+0+0", "-quality", POSTER_QUALITY, out],
                             cwd=small, env=self.magick_env)
        self.record(key, "ImageMagick", resize + montage, out,
                    f"mogrify to {cell} (fill, centre crop), montage {geo.across}x{geo.down}", 2)


# ---------------------------------------------------------------------------------------------
# The table


def wall_table(args, data):
    """Our build of the 12,000- and 36,000-pixel posters into PNG and JPEG files: time, time per
    megapixel against the 12,000-pixel build's, and peak memory."""
    work = data.root / "run"
    shutil.rmtree(work, ignore_errors=True)
    work.mkdir(parents=True)
    warm_cache([data.main, *data.tiles(WALL_TILES)])
    samples = {}  # (width inches, format) -> ([Sample], megapixels, output MB)
    for rep in range(args.reps):
        print(f"   repetition {rep + 1} of {args.reps}", flush=True)
        for inches, name in WALL_POSTERS:
            for fmt in WALL_FORMATS:
                out = work / f"wall.{fmt}"
                command, output = ("print", "--pdf") if fmt == "pdf" else ("build", "-o")
                sample, stdout = measure([
                    args.cli, command, data.main, "--tile-list", data.tile_list(WALL_TILES),
                    "--print-width", inches, "--dpi", DPI, "--fraction", 1, "--size", "medium",
                    "--quality", "medium", "--seed", SEED, "-q", output, out])
                if fmt == "pdf":  # print shows the pages, not the poster: its size is the PNG build's
                    megapixels = samples[(inches, "png")][1]
                else:
                    geo = parse_geometry(stdout)
                    megapixels = geo.width * geo.height / 1e6
                entry = samples.setdefault((inches, fmt), ([], megapixels, 0))
                entry[0].append(sample)
                samples[(inches, fmt)] = (entry[0], entry[1], out.stat().st_size / 2**20)
                out.unlink()
                print(f"     {name} {fmt}: {sample.wall:.1f} s, {sample.rss_mb:.0f} MB", flush=True)
    lines = ["| poster | file | median s | s per megapixel | ÷ 12,000-px s per megapixel "
             "| peak RSS MB | output MB |", "|---|---|---:|---:|---:|---:|---:|"]
    for inches, name in WALL_POSTERS:
        for fmt in WALL_FORMATS:
            runs, megapixels, output_mb = samples[(inches, fmt)]
            wall = statistics.median(x.wall for x in runs)
            base_runs, base_mp, _ = samples[(WALL_POSTERS[0][0], fmt)]
            base = statistics.median(x.wall for x in base_runs) / base_mp
            lines.append(f"| {name} | {fmt} | {wall:.1f} | {wall / megapixels:.4f} "
                         f"| {ratio(wall / megapixels, base)} "
                         f"| {max(x.rss_mb for x in runs):.0f} | {output_mb:.0f} |")
    shutil.rmtree(work)
    return "\n".join(lines) + "\n"


def ratio(a, b):
    return f"{a / b:.2f}" if b > 0 else "-"


def table_rows(runner, key):
    rows = [(p, s) for (c, n, p), s in runner.samples.items() if (c, n) == key]
    medians = {p: statistics.median(x.wall for x in s) for p, s in rows}
    floor = medians.get(FLOOR, 0)
    ours = medians.get(OURS, 0)
    lines = []
    for program, samples in rows:
        walls = [x.wall for x in samples]
        lines.append(
            f"| {key[0]} | {key[1]} | {program} | {runner.threads[program]} "
            f"| {medians[program]:.2f} | {min(walls):.2f} "
            f"| {max(walls):.2f} | {statistics.median(x.cpu for x in samples):.2f} "
            f"| {max(x.rss_mb for x in samples):.0f} | {runner.outputs[key + (program,)]:.1f} "
            f"| {ratio(medians[program], floor)} | {ratio(ours, medians[program])} "
            f"| {runner.notes[key + (program,)]} |")
    if not runner.magick_runs(key):
        lines.append(f"| {key[0]} | {key[1]} | ImageMagick | 2 | not timed | | | | | | | | its "
                     f"montage follows the grid, not the tile count: see {SET_SIZES[-1]} tiles "
                     f"(--all-peers times it) |")
    return lines


def table(runner, tile_counts, posters):
    lines = ["| tiles | poster | program | threads | median s | min s | max s | CPU s "
             "| peak RSS MB | output MB | × floor | mozaikon ÷ this | work |",
             "|---:|---|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---|"]
    for count in tile_counts:
        for poster in posters:
            lines += table_rows(runner, (count, poster.name))
    return "\n".join(lines)


def header(args, data, tile_counts, posters):
    cpu = re.search(r"model name\s*: (.+)", Path("/proc/cpuinfo").read_text())
    versions = run_text(["dpkg-query", "-W", "-f", "${Package} ${Version}, ",
                         "libjpeg62-turbo", "libjpeg-turbo-progs", "imagemagick",
                         "metapixel"]).rstrip(", ")
    stamp = json.loads(data.stamp.read_text())
    return "\n".join([
        f"# mozaikon-cli build: end-to-end timings ({time.strftime('%Y-%m-%d %H:%M')})",
        "",
        f"- machine: {os.cpu_count()} cores, {cpu.group(1) if cpu else 'unknown CPU'}; "
        f"{args.reps} repetition{'s' if args.reps > 1 else ''}, interleaved",
        f"- data: main photo {stamp['main']} at {MAIN_SIZE[0]}x{MAIN_SIZE[1]}, the first "
        f"{', '.join(map(str, tile_counts))} of {stamp['tiles']} tiles of 1-3 MP made from "
        f"{len(stamp['sources'])} photographs; posters {', '.join(p.name for p in posters)} "
        f"(--print-width {PRINT_WIDTH_INCHES}, --dpi {DPI}, --fraction "
        f"{' and '.join(str(p.fraction) for p in posters)}), --quality medium, --seed {SEED}",
        f"- versions: {versions}",
        "- × floor: this program's median over the floor's; mozaikon ÷ this: our median over "
        "this program's (below 1: we are faster). CPU s is user + system. Peak RSS is that of "
        "the largest process. The rebuild row times one engine call (no saving) after a first "
        "build in the same process kept the shaped tiles.",
        "- the floor decodes every input once with our libjpeg settings and encodes our poster's "
        "pixels once: what no mosaic program can avoid.",
        "",
        "",
    ])


# ---------------------------------------------------------------------------------------------


def parse_args(argv):
    default_dir = Path(os.environ.get("XDG_CACHE_HOME") or Path.home() / ".cache")
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("dir", nargs="?", type=Path, default=default_dir / "quillet-poster-bench",
                        help="data set and results folder (default: %(default)s)")
    parser.add_argument("--cli", required=True, type=Path, help="the mozaikon-cli to time")
    parser.add_argument("--floor", required=True, type=Path, help="the mozaikon_floor program")
    parser.add_argument("--rebuild", required=True, type=Path,
                        help="the mozaikon_rebuild program")
    parser.add_argument("--quick", action="store_true",
                        help="50 and 200 tiles, 3000 x 2250 poster only")
    parser.add_argument("--reps", type=int, default=3, help="repetitions (default 3)")
    parser.add_argument("--wall", action="store_true",
                        help=f"only our builds of 12,000- and 36,000-pixel posters into PNG and "
                             f"JPEG files and printed to PDF, with {WALL_TILES} tiles: time and "
                             f"peak memory")
    parser.add_argument("--all-peers", action="store_true",
                        help="time ImageMagick on the large poster with every set, not only "
                             "the largest (about 10 minutes more)")
    args = parser.parse_args(argv)
    if args.reps < 1:
        parser.error("--reps must be at least 1")
    return args


def main(argv):
    args = parse_args(argv)
    data = DataSet(args.dir.resolve())
    tile_counts = SET_SIZES[:2] if args.quick else SET_SIZES
    posters = POSTERS[:1] if args.quick else POSTERS
    try:
        data.ensure()
        if args.wall:
            report = wall_table(args, data)
            (data.root / "wall-results.md").write_text(report)
            print(report, end="")
            return 0
        runner = Runner(args, data)
        runner.run(tile_counts, posters)
    except (BenchError, subprocess.CalledProcessError) as error:
        print(f"bench: {error}", file=sys.stderr)
        return 1
    report = header(args, data, tile_counts, posters) + table(runner, tile_counts, posters) + "\n"
    (data.root / "results.md").write_text(report)
    shutil.rmtree(runner.work)  # scratch only; kept after a failure, to look into
    print(report, end="")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
