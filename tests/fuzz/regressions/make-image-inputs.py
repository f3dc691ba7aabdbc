#!/usr/bin/env python3
"""Writes the hand-made PNG regression inputs of the image fuzz target into
tests/fuzz/regressions/image/ (see README.md there for what each one did).

    python3 tests/fuzz/regressions/make-image-inputs.py

The files are small because their pixel data is zeros, which deflate
compresses about a thousandfold; their chunk checksums are right unless the
checksums are the fault.
"""
import os
import struct
import zlib

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "image")
SIGNATURE = b"\x89PNG\r\n\x1a\n"


def chunk(kind, data, crc=None):
    if crc is None:
        crc = zlib.crc32(kind + data)
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", crc & 0xFFFFFFFF)


def ihdr(width, height, depth, colour, interlaced):
    return chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, depth, colour, 0, 0, 1 if interlaced else 0))


def zero_rows(width, height, bits_per_pixel, interlaced):
    """Lengths of the filtered rows of zeros (filter byte included), pass by pass."""
    if not interlaced:
        return [(height, 1 + (width * bits_per_pixel + 7) // 8)]
    passes = []
    for x0, y0, dx, dy in ((0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)):
        w, h = (width - x0 + dx - 1) // dx, (height - y0 + dy - 1) // dy
        if w > 0 and h > 0:
            passes.append((h, 1 + (w * bits_per_pixel + 7) // 8))
    return passes


def zeros_png(width, height, depth, colour, channels, interlaced):
    packer = zlib.compressobj(9)
    compressed = []
    for rows, row_bytes in zero_rows(width, height, depth * channels, interlaced):
        row = bytes(row_bytes)
        for _ in range(rows):
            compressed.append(packer.compress(row))
    compressed.append(packer.flush())
    data = b"".join(compressed)
    return SIGNATURE + ihdr(width, height, depth, colour, interlaced) + chunk(b"IDAT", data) + chunk(b"IEND", b"")


def main():
    files = {
        # 4096 x 4096 RGBA at 16 bits a channel: within the size limit, but the
        # decoder held 256 MiB for it (the inflated rows and the 16-bit image),
        # and interlaced more (each pass's image besides); the harness took
        # 349 MB and 417 MB.
        "rgba16-4096x4096-zeros.png": zeros_png(4096, 4096, 16, 6, 4, False),
        "rgba16-4096x4096-zeros-interlaced.png": zeros_png(4096, 4096, 16, 6, 4, True),
        # A width of 0, otherwise well formed: reported as "unknown image type".
        "zero-width.png": SIGNATURE + ihdr(0, 16, 8, 6, False) +
        chunk(b"IDAT", zlib.compress(b"\0" * 16)) + chunk(b"IEND", b""),
    }
    # A 2 x 2 RGBA image whose every chunk checksum is wrong: it loaded as if
    # nothing were amiss.
    image = zeros_png(2, 2, 8, 6, 4, False)
    bad = bytearray(image[:8])
    offset = 8
    while offset < len(image):
        length = struct.unpack(">I", image[offset:offset + 4])[0]
        end = offset + 8 + length
        crc = struct.unpack(">I", image[end:end + 4])[0]
        bad += image[offset:end] + struct.pack(">I", crc ^ 0xFFFFFFFF)
        offset = end + 4
    files["every-checksum-wrong.png"] = bytes(bad)

    os.makedirs(OUT, exist_ok=True)
    for name, data in files.items():
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)
        print(f"{name}: {len(data)} bytes")


if __name__ == "__main__":
    main()
