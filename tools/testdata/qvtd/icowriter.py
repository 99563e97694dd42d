"""A Windows icon file of PNG entries, written from the ICO layout alone.

ICONDIR (reserved 0, type 1, count), one 16-byte ICONDIRENTRY per image
(width and height as bytes, 0 meaning 256; no palette; one plane; 32 bits;
the entry's size and file offset), then the PNG files back to back in
entry order.
"""

import struct


def ico(images):
    """images: list of (width, height, png bytes) -> the .ico bytes."""
    for w, h, _ in images:
        if not (1 <= w <= 256 and 1 <= h <= 256):
            raise ValueError("an icon entry is 1 to 256 pixels a side, not %dx%d" % (w, h))
    head = struct.pack("<HHH", 0, 1, len(images))
    offset = len(head) + 16 * len(images)
    entries, data = [], []
    for w, h, png in images:
        entries.append(struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(png), offset))
        data.append(png)
        offset += len(png)
    return head + b"".join(entries) + b"".join(data)
