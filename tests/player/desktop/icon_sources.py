"""Writes the PNGs that icotool turns into the reader's test icons (see
CMakeLists.txt): seeded noise, so no flipped, shifted or mis-padded decode can
match. Fully transparent pixels are black, as icotool writes them."""
import random
import struct
import sys
import zlib

ANY_ALPHA, MASK_ONLY, OPAQUE = range(256), (0, 255, 255), (255,)


def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def write_png(name, width, height, colours, alphas):
    rnd = random.Random(name)
    palette = [bytes(rnd.randrange(256) for _ in range(3)) for _ in range(colours)]
    rows = bytearray()
    for _ in range(height):
        rows.append(0)
        for _ in range(width):
            alpha = rnd.choice(alphas)
            rows += (rnd.choice(palette) if alpha else b"\0\0\0") + bytes([alpha])
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    with open(f"{sys.argv[1]}/{name}.png", "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(rows)))
                + chunk(b"IEND", b""))


# Odd sizes pad the rows; indexed sources keep within 2, 16 and 256 colours,
# black (the transparent pixels' colour) included.
for args in [("alpha", 19, 13, 4096, ANY_ALPHA), ("masked", 17, 9, 4096, MASK_ONLY), ("p8", 10, 6, 255, MASK_ONLY),
             ("p4", 7, 5, 15, MASK_ONLY), ("p1", 33, 3, 2, OPAQUE), ("big", 256, 256, 16, OPAQUE),
             ("16", 16, 16, 4096, ANY_ALPHA), ("32", 32, 32, 4096, MASK_ONLY), ("48", 48, 48, 4096, ANY_ALPHA)]:
    write_png(*args)
