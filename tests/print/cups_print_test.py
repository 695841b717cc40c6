#!/usr/bin/env python3
"""Prints a two-page poster through a real CUPS server onto a cups-pdf queue and finds the
poster's pixels on both pages where the geometry puts them.

Exit 77 (reported as skipped) when no CUPS server can be reached or started, or the PDF queue
cannot be made; never passes without having printed."""
import glob
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time

SKIP = 77
QUEUE = "MozaikonTestPDF"
DPI = 100
cli = sys.argv[1]


def skip(reason):
    print("SKIPPED: " + reason)
    sys.exit(SKIP)


def run(*args, **kw):
    return subprocess.run(args, capture_output=True, text=True, **kw)


def write_bmp(path, w, h, color):
    row = (w * 3 + 3) // 4 * 4
    data = bytearray()
    for y in range(h - 1, -1, -1):
        for x in range(w):
            r, g, b = color(x, y)
            data += bytes((b, g, r))
        data += b"\0" * (row - w * 3)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    header += struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 0, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(header + data)


def read_bmp(path):
    d = open(path, "rb").read()
    off = struct.unpack("<I", d[10:14])[0]
    w, h = struct.unpack("<ii", d[18:26])
    row = (w * 3 + 3) // 4 * 4

    def at(x, y):
        o = off + (h - 1 - y) * row + 3 * x
        return d[o + 2], d[o + 1], d[o]
    return w, h, at


def read_ppm(path):
    d = open(path, "rb").read()
    magic, w, h, _, pixels = re.match(rb"(P6)\s+(\d+)\s+(\d+)\s+(\d+)\s(.*)", d, re.S).groups()
    w, h = int(w), int(h)
    return w, h, lambda x, y: tuple(pixels[(y * w + x) * 3:(y * w + x) * 3 + 3])


def ink_box(w, h, at):
    """Left, top, right, bottom (exclusive) of everything not white."""
    xs, ys = [], []
    for y in range(0, h, 2):
        for x in range(0, w, 2):
            if min(at(x, y)) < 230:
                xs.append(x)
                ys.append(y)
    return (min(xs), min(ys), max(xs) + 2, max(ys) + 2) if xs else None


def start_server():
    """The pid of a cupsd this test started, None when one was already running."""
    if run("lpstat", "-r").stdout.strip() == "scheduler is running":
        return None
    if os.geteuid() != 0 or not shutil.which("cupsd"):
        skip("no CUPS scheduler is running and this user cannot start one")
    server = subprocess.Popen(["cupsd", "-f"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    for _ in range(50):
        if run("lpstat", "-r").stdout.strip() == "scheduler is running":
            return server
        time.sleep(0.2)
    server.terminate()
    skip("cupsd did not start")


def output_dirs():
    dirs = [os.path.expanduser("~/PDF"), "/var/spool/cups-pdf/ANONYMOUS"]
    conf = "/etc/cups/cups-pdf.conf"
    if os.path.exists(conf):
        for line in open(conf):
            m = re.match(r"\s*(Out|AnonDirName)\s+(\S+)", line)
            if m:
                dirs.append(m.group(2).replace("${HOME}", os.path.expanduser("~")))
    return dirs


def complete(path):
    """True once cups-pdf has finished the file: its size holds still and it reads whole."""
    size = os.path.getsize(path)
    time.sleep(0.5)
    return size > 0 and os.path.getsize(path) == size and run("pdfinfo", path).returncode == 0


def wait_for_pdf(since, name_part):
    for _ in range(120):
        for d in output_dirs():
            for f in glob.glob(os.path.join(d, "*.pdf")):
                if os.path.getmtime(f) >= since and name_part in os.path.basename(f):
                    if complete(f):
                        return f
        time.sleep(0.5)
    return None


def main():
    for tool in ("lpadmin", "lpstat", "pdftoppm", "pdfinfo"):
        if not shutil.which(tool):
            skip(tool + " is not installed")
    server = start_server()
    try:
        added = run("lpadmin", "-p", QUEUE, "-E", "-v", "cups-pdf:/", "-m",
                    "lsb/usr/cups-pdf/CUPS-PDF_opt.ppd")
        if added.returncode != 0:
            skip("cannot add the cups-pdf queue: " + added.stderr.strip())
        check_print()
    finally:
        run("lpadmin", "-x", QUEUE)
        if server:
            server.terminate()
            server.wait()


def check_print():
    work = tempfile.mkdtemp(prefix="mozaikon-cups-")
    main_image = os.path.join(work, "cupsmain.bmp")
    write_bmp(main_image, 80, 60, lambda x, y: (3 * x, 4 * y, 200))
    tiles = []
    for i in range(3):
        tiles.append(os.path.join(work, "tile%d.bmp" % i))
        write_bmp(tiles[-1], 24, 18, lambda x, y, i=i: (9 * y, 8 * x, 70 * i))
    options = ["--print-width", "12", "--fraction", "2", "--seed", "3"]
    poster_path = os.path.join(work, "poster.bmp")
    built = run(cli, "build", main_image, *tiles, *options, "--dpi", str(DPI), "-o", poster_path)
    assert built.returncode == 0, built.stderr
    since = time.time() - 1
    printed = run(cli, "print", main_image, *tiles, *options, "--printer-dpi", str(DPI),
                  "--paper", "a4", "--printer", QUEUE, env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))
    assert printed.returncode == 0, printed.stdout + printed.stderr
    m = re.search(r"2 x 1 pages of (\d+) x (\d+) printer pixels", printed.stdout)
    assert m, printed.stdout
    page_w = int(m.group(1))
    pdf = wait_for_pdf(since, "cupsmain")
    assert pdf, "cups-pdf wrote no PDF within a minute (looked in %s)" % output_dirs()
    try:
        check_pages(pdf, work, page_w, read_bmp(poster_path))
    finally:
        os.remove(pdf)
        shutil.rmtree(work)


def check_pages(pdf, work, page_w, poster):
    subprocess.run(["pdftoppm", "-r", str(2 * DPI), pdf, os.path.join(work, "page")], check=True)
    pages = [read_ppm(p) for p in sorted(glob.glob(os.path.join(work, "page-*.ppm")))]
    assert len(pages) == 2, "%d pages" % len(pages)
    pw, ph, at = poster
    poster_w = 2 * pw  # printer pixels
    margin_x = (2 * page_w - poster_w) // 2
    boxes = [ink_box(*p) for p in pages]
    assert all(boxes), boxes
    # Rendered at twice the printer's resolution. The second page starts at its printable
    # area's left edge; the first one a margin further right, and both together are the
    # poster's width.
    origin_x = boxes[1][0]
    assert abs(boxes[0][0] - (origin_x + 2 * margin_x)) <= 2, (boxes, margin_x)
    width = (boxes[0][2] - boxes[0][0]) + (boxes[1][2] - boxes[1][0])
    assert abs(width - 2 * poster_w) <= 4, (boxes, poster_w)
    assert abs(boxes[0][1] - boxes[1][1]) <= 2 and abs((boxes[0][3] - boxes[0][1]) - 4 * ph) <= 4, boxes
    top = boxes[0][1]
    far = 0
    for y in range(1, ph - 1, 5):
        for x in range(1, pw - 1, 3):
            px = 2 * margin_x + 4 * x + 2
            page = 0 if px < 2 * page_w else 1
            sx = origin_x + px - 2 * page_w * page
            seen = pages[page][2](sx, top + 4 * y + 2)
            want = at(x, y)
            far += any(abs(a - b) > 40 for a, b in zip(seen, want))
    assert far == 0, "%d poster pixels not found where the geometry puts them" % far
    print("printed through CUPS: both pages hold the poster where expected")


main()
