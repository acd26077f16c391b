#!/usr/bin/env python3
"""Marks the alpha channel of a small JPEG XL file as premultiplied, which the
libjxl 0.7 encoder cannot write itself.

    mark_alpha_premultiplied.py IN.jxl OUT.jxl

IN must be a bare codestream as tests/spi/jxl/JxlWriter writes it for an 8-bit
sRGB picture with alpha, both sides multiples of 8 up to 256, not turned and
lossless: its header then holds the alpha channel as the one-bit default at a
fixed place. The pixels must already be multiplied by alpha. The default is
replaced by the explicit description with "associated alpha" set, and the
header padded to the byte where the frame begins, as before."""

import sys

D_ALPHA_BIT = 33  # after the signature, the small size header and the metadata up to it
HEADER_END_BIT = 39  # after colour encoding, extensions and transform data
FRAME_BYTE = 5

data = open(sys.argv[1], 'rb').read()
bits = [(byte >> i) & 1 for byte in data for i in range(8)]  # least significant first
if data[:2] != b'\xff\x0a' or bits[16] != 1 or bits[D_ALPHA_BIT] != 1 or \
        any(bits[HEADER_END_BIT:FRAME_BYTE * 8]):
    sys.exit('not a header of the expected layout')
# Not default; alpha; 8-bit integer samples; no shift; no name; associated.
explicit = [0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1]
header = bits[:D_ALPHA_BIT] + explicit + bits[D_ALPHA_BIT + 1:HEADER_END_BIT]
header += [0] * (-len(header) % 8)
out = bytes(sum(header[i + k] << k for k in range(8)) for i in range(0, len(header), 8))
open(sys.argv[2], 'wb').write(out + data[FRAME_BYTE:])
