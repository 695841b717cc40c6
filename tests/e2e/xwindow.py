#!/usr/bin/env python3
"""Helpers of the journey test that xdotool lacks.

  xwindow.py close WINDOW       asks the window to close, as its close box does (WM_DELETE_WINDOW)
  xwindow.py shot SCREEN X Y W H  prints how many colours the rectangle of the screen holds
                                  (1: a plain block) and a digest of its pixels
  xwindow.py inputs FOLDER      writes main.bmp, eight tiles and tiles.txt listing them
"""
import ctypes
import hashlib
import struct
import sys


def close(window):
    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                               ctypes.c_void_p]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]

    class ClientMessage(ctypes.Structure):
        _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                    ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                    ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                    ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]

    class Event(ctypes.Union):  # XEvent: 24 longs
        _fields_ = [("message", ClientMessage), ("pad", ctypes.c_long * 24)]

    display = x11.XOpenDisplay(None)
    if not display:
        sys.exit("cannot open the display")
    event = Event()
    event.message.type = 33  # ClientMessage
    event.message.window = window
    event.message.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
    event.message.format = 32
    event.message.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
    x11.XSendEvent(display, window, 0, 0, ctypes.byref(event))
    x11.XFlush(display)
    x11.XCloseDisplay(display)


def shot(screen, x, y, width, height):
    """Reads the rectangle from the virtual server's screen memory (Xvfb -fbdir), an XWD image.

    The server's answer to GetImage is not used: on Xvfb it shows some mapped windows black,
    message boxes over another window and the preview's navigator among them, although their
    pixels are on the screen."""
    data = open(screen, "rb").read()
    fields = struct.unpack(">25I", data[:100])
    header_size, image_width, image_height = fields[0], fields[4], fields[5]
    bits_per_pixel, bytes_per_line, ncolors = fields[11], fields[12], fields[19]
    start = header_size + 12 * ncolors
    step = bits_per_pixel // 8
    x0, y0 = max(x, 0), max(y, 0)
    x1, y1 = min(x + width, image_width), min(y + height, image_height)
    rows = [data[start + row * bytes_per_line + x0 * step:start + row * bytes_per_line + x1 * step]
            for row in range(y0, y1)]
    pixels = b"".join(rows)
    seen = {pixels[i:i + 3] for i in range(0, len(pixels) - 2, step * 7)}
    print(len(seen), hashlib.sha1(pixels).hexdigest())


def write_bmp(path, width, height, colour):
    pad = (4 - width * 3 % 4) % 4
    rows = bytearray()
    for y in range(height - 1, -1, -1):
        for x in range(width):
            r, g, b = colour(x, y)
            rows += bytes((b, g, r))
        rows += bytes(pad)
    with open(path, "wb") as out:
        out.write(b"BM" + struct.pack("<IHHI", 54 + len(rows), 0, 0, 54))
        out.write(struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(rows), 0, 0, 0, 0))
        out.write(rows)


def inputs(folder):
    write_bmp(folder + "/main.bmp", 480, 360,
              lambda x, y: (40 + x // 3, (y * 2) % 256, 200 - x // 3))
    with open(folder + "/tiles.txt", "w") as names:
        for i in range(8):
            path = "%s/tile%d.bmp" % (folder, i)
            write_bmp(path, 64, 48, lambda x, y, i=i: ((i * 30 + x) % 256, 4 * y, 255 - i * 30))
            names.write(path + "\n")


if __name__ == "__main__":
    command, argument = sys.argv[1], sys.argv[2]
    if command == "close":
        close(int(argument, 0))
    elif command == "shot":
        shot(argument, *map(int, sys.argv[3:7]))
    elif command == "inputs":
        inputs(argument)
    else:
        sys.exit("unknown command " + command)
