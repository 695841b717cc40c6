#!/usr/bin/env python3
"""Helpers of the journey test that xdotool lacks.

  xwindow.py close WINDOW       asks the window to close, as its close box does (WM_DELETE_WINDOW)
  xwindow.py colours FILE.ppm   prints how many colours a capture holds (1: a plain block)
  xwindow.py inputs FOLDER      writes main.bmp, eight tiles and tiles.txt listing them
"""
import ctypes
import re
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


def colours(path):
    data = open(path, "rb").read()
    match = re.match(rb"P6\s+(\d+)\s+(\d+)\s+(\d+)\s", data)
    if not match:
        sys.exit(path + " is no PPM picture")
    pixels = data[match.end():]
    seen = {pixels[i:i + 3] for i in range(0, len(pixels) - 2, 3 * 7)}
    print(len(seen))


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
    elif command == "colours":
        colours(argument)
    elif command == "inputs":
        inputs(argument)
    else:
        sys.exit("unknown command " + command)
