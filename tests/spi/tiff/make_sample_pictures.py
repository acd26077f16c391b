#!/usr/bin/env python3
"""Writes the TIFF pictures of tests/fixtures/formats/tiff that libtiff's own
tools cannot make: samples of every width, signed and floating-point samples,
16-bit palettes and CIE L*a*b*. Uncompressed strips; tiffcp recompresses some.

    make_sample_pictures.py OUTPUT_FOLDER [TRUTH_FOLDER]

References beside them come from another decoder (ImageMagick's convert)
where it reads the picture right; where it does not, from TRUTH_FOLDER: the
picture each file was made from, quantised as the file stores it."""

import math
import os
import struct
import sys
import zlib

WIDTH, HEIGHT = 40, 28


def colour(x, y):
    """Red, green, blue and alpha in 0..1: ramps, a patch of primaries, a hole."""
    r = x / (WIDTH - 1)
    g = y / (HEIGHT - 1)
    b = 1.0 - (x + y) / (WIDTH + HEIGHT - 2)
    if 4 <= x < 12 and 4 <= y < 10:
        r, g, b = [(1, 0, 0), (0, 1, 0), (0, 0, 1), (1, 1, 1)][(x - 4) // 2 % 4]
    a = 1.0 if x < WIDTH // 2 else 0.25 + 0.75 * (y / (HEIGHT - 1))
    return r, g, b, a


def grey(x, y):
    r, g, b, _ = colour(x, y)
    return 0.299 * r + 0.587 * g + 0.114 * b


def float24(value):
    if value == 0:
        return 0
    sign = 0x800000 if value < 0 else 0
    mantissa, exponent = math.frexp(abs(value))  # value = m * 2**e, 0.5 <= m < 1
    exponent += 62
    fraction = int(round((mantissa * 2 - 1) * 65536))
    if fraction == 65536:
        fraction, exponent = 0, exponent + 1
    return sign | exponent << 16 | fraction


def pack(values, bits, kind, order):
    """One row of sample values packed as TIFF stores them."""
    if kind == 'float':
        if bits == 24:
            out = bytearray()
            for v in values:
                word = float24(v)
                out += word.to_bytes(3, 'little' if order == '<' else 'big')
            return bytes(out)
        code = {16: 'e', 32: 'f', 64: 'd'}[bits]
        return struct.pack(order + code * len(values), *values)
    if bits % 8 == 0:
        out = bytearray()
        for v in values:
            if kind == 'int' and v < 0:
                v += 1 << bits
            out += int(v).to_bytes(bits // 8, 'little' if order == '<' else 'big')
        return bytes(out)
    acc, count, out = 0, 0, bytearray()
    for v in values:
        if kind == 'int' and v < 0:
            v += 1 << bits
        acc = acc << bits | int(v)
        count += bits
        while count >= 8:
            count -= 8
            out.append(acc >> count & 0xff)
    if count:
        out.append(acc << (8 - count) & 0xff)
    return bytes(out)


def write_tiff(path, samples, bits, photometric, kind='uint', order='<', extra=None,
               colourmap=None, sample_range=None, planar=False, rows_per_strip=5):
    """samples(x, y) -> list of sample values for one pixel."""
    spp = len(samples(0, 0))
    planes = spp if planar else 1
    strips = []
    for plane in range(planes):
        for top in range(0, HEIGHT, rows_per_strip):
            data = bytearray()
            for y in range(top, min(top + rows_per_strip, HEIGHT)):
                row = []
                for x in range(WIDTH):
                    pixel = samples(x, y)
                    row += [pixel[plane]] if planar else pixel
                data += pack(row, bits, kind, order)
            strips.append(bytes(data))

    tags = []  # (tag, type, values)
    SHORT, LONG, RATIONAL, DOUBLE = 3, 4, 5, 12
    tags.append((256, LONG, [WIDTH]))
    tags.append((257, LONG, [HEIGHT]))
    tags.append((258, SHORT, [bits] * spp))
    tags.append((259, SHORT, [1]))
    tags.append((262, SHORT, [photometric]))
    tags.append((273, LONG, [0] * len(strips)))  # filled in below
    tags.append((277, SHORT, [spp]))
    tags.append((278, LONG, [rows_per_strip]))
    tags.append((279, LONG, [len(s) for s in strips]))
    tags.append((284, SHORT, [2 if planar else 1]))
    if colourmap:
        tags.append((320, SHORT, colourmap))
    if extra is not None:
        tags.append((338, SHORT, [extra]))
    tags.append((339, SHORT, [{'uint': 1, 'int': 2, 'float': 3}[kind]] * spp))
    if sample_range:
        tags.append((340, DOUBLE, [sample_range[0]] * spp))
        tags.append((341, DOUBLE, [sample_range[1]] * spp))
    tags.sort()

    sizes = {SHORT: ('H', 2), LONG: ('I', 4), DOUBLE: ('d', 8)}
    header = 8
    ifd_size = 2 + 12 * len(tags) + 4
    blob_offset = header + ifd_size
    blobs = bytearray()
    entries = []
    strip_offsets_at = None
    data_start = None

    def place(values, code, size):
        nonlocal blobs
        raw = struct.pack(order + code * len(values), *values)
        if len(raw) <= 4:
            return raw.ljust(4, b'\0'), None
        if len(blobs) % 2:
            blobs += b'\0'
        at = blob_offset + len(blobs)
        blobs += raw
        return struct.pack(order + 'I', at), at

    # Strip offsets depend on where the data lands: lay out once to size it.
    for tag, typ, values in tags:
        code, size = sizes[typ]
        field, _ = place(values, code, size)
        entries.append([tag, typ, len(values), field])
    data_start = blob_offset + len(blobs) + (len(blobs) % 2)
    offsets = []
    at = data_start
    for s in strips:
        offsets.append(at)
        at += len(s)
    blobs = bytearray()
    entries = []
    for tag, typ, values in tags:
        if tag == 273:
            values = offsets
        code, size = sizes[typ]
        field, _ = place(values, code, size)
        entries.append([tag, typ, len(values), field])
    if len(blobs) % 2:
        blobs += b'\0'

    out = bytearray(b'II*\0' if order == '<' else b'MM\0*')
    out += struct.pack(order + 'I', header)
    out += struct.pack(order + 'H', len(entries))
    for tag, typ, count, field in entries:
        out += struct.pack(order + 'HHI', tag, typ, count) + field
    out += struct.pack(order + 'I', 0)
    out += blobs
    assert len(out) == data_start
    for s in strips:
        out += s
    with open(path, 'wb') as f:
        f.write(out)


def write_png(path, pixel):
    """An 8-bit RGBA PNG of pixel(x, y) -> (r, g, b, a) in 0..1."""
    raw = bytearray()
    for y in range(HEIGHT):
        raw.append(0)
        for x in range(WIDTH):
            raw += bytes(max(0, min(255, round(c * 255))) for c in pixel(x, y))

    def chunk(kind, data):
        body = kind + data
        return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body))

    with open(path, 'wb') as f:
        f.write(b'\x89PNG\r\n\x1a\n' +
                chunk(b'IHDR', struct.pack('>IIBBBBB', WIDTH, HEIGHT, 8, 6, 0, 0, 0)) +
                chunk(b'IDAT', zlib.compress(bytes(raw))) + chunk(b'IEND', b''))


def levels(bits):
    return (1 << bits) - 1


def lab_of(x, y):
    """The picture's colour as CIE L*a*b* (D50), from sRGB through Bradford."""
    r, g, b, _ = colour(x, y)
    lin = [c / 12.92 if c <= 0.04045 else ((c + 0.055) / 1.055) ** 2.4 for c in (r, g, b)]
    m = [[0.4360747, 0.3850649, 0.1430804], [0.2225045, 0.7168786, 0.0606169],
         [0.0139322, 0.0971045, 0.7141733]]
    X, Y, Z = [sum(m[i][j] * lin[j] for j in range(3)) for i in range(3)]
    white = (0.9642, 1.0, 0.8249)

    def f(t):
        return t ** (1 / 3) if t > 216 / 24389 else (24389 / 27 * t + 16) / 116

    fx, fy, fz = f(X / white[0]), f(Y / white[1]), f(Z / white[2])
    return 116 * fy - 16, 500 * (fx - fy), 200 * (fy - fz)


def main(folder, truth_folder=None):
    os.makedirs(folder, exist_ok=True)
    if truth_folder:
        os.makedirs(truth_folder, exist_ok=True)
        write_png(os.path.join(truth_folder, 'colour.png'), colour)
        write_png(os.path.join(truth_folder, 'opaque_colour.png'),
                  lambda x, y: colour(x, y)[:3] + (1.0,))
        for bits in (12, 24, 32):
            write_png(os.path.join(truth_folder, f'grey_{bits}bit.png'),
                      lambda x, y: (round(grey(x, y) * levels(bits)) / levels(bits),) * 3 + (1.0,))

    def out(name):
        return os.path.join(folder, name)

    def rgb(bits, kind='uint'):
        scale = 1.0 if kind == 'float' else levels(bits)
        return lambda x, y: [round(c * scale) if kind != 'float' else c
                             for c in colour(x, y)[:3]]

    def grey_of(bits):
        return lambda x, y: [round(grey(x, y) * levels(bits))]

    for bits in (10, 12, 14):
        write_tiff(out(f'rgb_{bits}bit.tif'), rgb(bits), bits, 2)
    for bits in (2, 3, 5, 6, 7, 24, 32):
        write_tiff(out(f'grey_{bits}bit.tif'), grey_of(bits), bits, 1)
    write_tiff(out('rgb_4bit_big_endian.tif'), rgb(4), 4, 2, order='>')
    write_tiff(out('rgb_12bit_planes.tif'), rgb(12), 12, 2, planar=True)
    write_tiff(out('grey_12bit_min_is_white.tif'),
               lambda x, y: [round((1 - grey(x, y)) * 4095)], 12, 0)
    write_tiff(out('grey_signed_16bit.tif'),
               lambda x, y: [round(grey(x, y) * 65535) - 32768], 16, 1, kind='int')
    write_tiff(out('grey_signed_32bit_big_endian.tif'),
               lambda x, y: [round(grey(x, y) * 4294967295) - 2147483648], 32, 1, kind='int',
               order='>')
    for bits in (16, 24, 32, 64):
        write_tiff(out(f'rgb_float{bits}.tif'), rgb(bits, 'float'), bits, 2, kind='float')
    write_tiff(out('grey_float32_big_endian.tif'), lambda x, y: [grey(x, y)], 32, 1,
               kind='float', order='>')
    write_tiff(out('grey_float32_declared_range.tif'),
               lambda x, y: [grey(x, y) * 4000 - 1000], 32, 1, kind='float',
               sample_range=(-1000.0, 3000.0))
    write_tiff(out('rgba_float32_straight_alpha.tif'),
               lambda x, y: list(colour(x, y)), 32, 2, kind='float', extra=2)
    write_tiff(out('rgba_12bit_premultiplied.tif'),
               lambda x, y: [round(c * colour(x, y)[3] * 4095) for c in colour(x, y)[:3]] +
               [round(colour(x, y)[3] * 4095)], 12, 2, extra=1)

    # A 16-bit palette: a ramp over the first entries, the rest unused.
    entries = 1 << 16
    used = WIDTH * HEIGHT
    reds, greens, blues = [0] * entries, [0] * entries, [0] * entries
    for i in range(used):
        r, g, b, _ = colour(i % WIDTH, i // WIDTH)
        reds[i], greens[i], blues[i] = (round(c * 65535) for c in (r, g, b))
    write_tiff(out('palette_16bit.tif'), lambda x, y: [y * WIDTH + x], 16, 3,
               colourmap=reds + greens + blues)

    def cielab(bits):
        def samples(x, y):
            l, a, b = lab_of(x, y)
            if bits == 8:
                return [round(l * 255 / 100), round(max(-128, min(127, a))),
                        round(max(-128, min(127, b)))]
            return [round(l * 65535 / 100), round(max(-32768, min(32767, a * 256))),
                    round(max(-32768, min(32767, b * 256)))]
        return samples

    # CIE L*a*b* keeps a and b signed in an unsigned field.
    write_tiff(out('cielab_8bit.tif'),
               lambda x, y: [v & 0xff for v in cielab(8)(x, y)], 8, 8)
    write_tiff(out('cielab_16bit.tif'),
               lambda x, y: [v & 0xffff for v in cielab(16)(x, y)], 16, 8)
    write_tiff(out('icclab_8bit.tif'),
               lambda x, y: [cielab(8)(x, y)[0]] + [v + 128 for v in cielab(8)(x, y)[1:]], 8, 9)


if __name__ == '__main__':
    main(*sys.argv[1:3])
