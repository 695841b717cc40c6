#!/usr/bin/python3
"""Makes the reference GIF files of the GIF reader's tests, each with the RGB bytes of its first
frame as an independent decoder (Pillow) reads it, and the malformed GIF files of ../bad/ that
the program must refuse.

Run from anywhere with Debian's interpreter, which has Pillow:  /usr/bin/python3 make_gifs.py
Every NAME.gif gets NAME.rgb: width x height pixels, top row first, three bytes red, green, blue.
The output is deterministic; the files are small enough to keep in the repository.
"""
import io
import os
import random
import struct

from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
BAD = os.path.join(os.path.dirname(HERE), "bad")


def palette_image(width, height, colours, seed):
    """A P-mode picture using `colours` palette entries: smooth bands with scattered noise, so
    the compressor meets both long runs and short strings."""
    rng = random.Random(seed)
    im = Image.new("P", (width, height))
    pixels = []
    for y in range(height):
        for x in range(width):
            value = (x // 3 + y // 2) % colours
            if rng.random() < 0.3:
                value = rng.randrange(colours)
            pixels.append(value)
    im.putdata(pixels)
    palette = []
    for i in range(colours):
        palette += [(37 * i + 11) % 256, (91 * i + 5) % 256, (53 * i + 200) % 256]
    im.putpalette(palette)
    return im


def photo_image(width, height):
    """An RGB picture that Pillow quantizes to a palette of its own choosing."""
    im = Image.new("RGB", (width, height))
    im.putdata([((x * 255) // width, (y * 255) // height, ((x ^ y) * 16) % 256)
                for y in range(height) for x in range(width)])
    return im


def save(name, im, **options):
    path = os.path.join(HERE, name + ".gif")
    im.save(path, **options)
    check = Image.open(path)
    check.seek(0)
    with open(os.path.join(HERE, name + ".rgb"), "wb") as out:
        out.write(check.convert("RGB").tobytes())
    with open(path, "rb") as f:
        version = f.read(6).decode()
    print(f"{name}.gif  {check.size[0]}x{check.size[1]}  {version}  {os.path.getsize(path)} bytes")


def main():
    # Below 16 pixels on a side Pillow never interlaces; it writes 87a unless an extension is due.
    save("v87a_global_2col", palette_image(13, 11, 2, 1), interlace=False)
    save("v87a_global_16col", palette_image(15, 9, 16, 2), interlace=False)
    save("v87a_interlaced_4col", palette_image(17, 26, 4, 3), interlace=True)
    save("v89a_extensions", palette_image(20, 18, 64, 4), interlace=False,
         comment=b"made for the GIF reader tests", loop=0)
    save("v89a_interlaced_256col", palette_image(31, 23, 256, 5), interlace=True, duration=40)
    save("local_and_global_table", palette_image(18, 16, 32, 6), interlace=False,
         include_color_table=True)
    save("quantized_photo", photo_image(40, 30), interlace=False)
    first = palette_image(21, 17, 8, 7)
    second = palette_image(21, 17, 8, 8)
    save("multi_image", first, save_all=True, append_images=[second], interlace=False,
         duration=100, loop=0)


def minimal_gif(width=4, height=4, code_size=2, trailer=True):
    """A 89a file with a 4-colour global table and one image; its data is a clear code, pixel 1
    and the end code, each 3 bits wide (when code_size is 2)."""
    screen = struct.pack("<HHBBB", 4, 4, 0x81, 0, 0)
    table = bytes([0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255])
    descriptor = b"," + struct.pack("<HHHHB", 0, 0, width, height, 0)
    codes = 4 | (1 << 3) | (5 << 6)
    data = bytes([code_size, 2, codes & 0xFF, codes >> 8, 0])
    return b"GIF89a" + screen + table + descriptor + data + (b";" if trailer else b"")


def write_bad_files():
    good = minimal_gif()
    descriptor_at = 13 + 12
    bad = {
        "gif_not_gif": b"GOF" + good[3:],
        "gif_truncated_header": good[:11],
        "gif_truncated_global_table": good[:19],
        "gif_no_image": good[:descriptor_at] + b";",
        "gif_extension_runs_off_the_end": good[:descriptor_at] + b"\x21\xfe\x20comment",
        "gif_truncated_descriptor": good[:descriptor_at + 6],
        "gif_zero_width": minimal_gif(width=0),
        "gif_zero_height": minimal_gif(height=0),
        "gif_no_code_size": good[:descriptor_at + 10],
        "gif_code_size_1": minimal_gif(code_size=1),
        "gif_code_size_12": minimal_gif(code_size=12),
    }
    for name, data in bad.items():
        with open(os.path.join(BAD, name + ".gif"), "wb") as out:
            out.write(data)
    print(f"{len(bad)} malformed files in {BAD}")


if __name__ == "__main__":
    main()
    write_bad_files()
