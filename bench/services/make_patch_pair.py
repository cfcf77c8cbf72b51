#!/usr/bin/env python3
"""Writes a pair of files and the patch between them in two formats.

    make_patch_pair.py FOLDER [MiB]

FOLDER receives old.bin and new.bin (MiB each, default 300), new.patch in the
launcher's BSDIFN40 format (zlib-packed) and new.bsdiff in the BSDIFF40
format of Debian's bsdiff/bspatch (three bzip2 blocks). Both patches carry
the same control triples, diff block and extra block, so the appliers do the
same work.
"""
import bz2
import os
import struct
import sys
import zlib

MIB = 1 << 20


def encode(value):
    data = bytearray(struct.pack('<Q', abs(value)))
    if value < 0:
        data[7] |= 0x80
    return bytes(data)


def main():
    folder = sys.argv[1]
    size = int(sys.argv[2]) * MIB if len(sys.argv) > 2 else 300 * MIB
    os.makedirs(folder, exist_ok=True)

    old = os.urandom(size)
    # New: the first 40% of the old file, 2 MiB of new bytes, the next 40%,
    # then the rest without 2 MiB of it; a changed byte in every MiB.
    a = (size * 2 // 5) // MIB * MIB
    inserted = 2 * MIB
    b = a
    skipped = 2 * MIB
    c = size - a - b - skipped
    control = [(a, inserted, 0), (b, 0, skipped), (c, 0, 0)]

    extra = os.urandom(inserted)
    diff = bytearray(a + b + c)
    new = bytearray()
    new += old[0:a]
    new += extra
    new += old[a:a + b]
    new += old[a + b + skipped:]
    # A change every MiB of the diff runs: diff byte = new - old.
    run_offsets = [(0, 0), (a + inserted, a), (a + inserted + b, a + b + skipped)]
    diff_pos = 0
    for (new_start, old_start), (x, _, _) in zip(run_offsets, control):
        for offset in range(0, x, MIB):
            delta = (offset // MIB) % 255 + 1
            new[new_start + offset] = (old[old_start + offset] + delta) & 0xff
            diff[diff_pos + offset] = delta
        diff_pos += x

    with open(os.path.join(folder, 'old.bin'), 'wb') as f:
        f.write(old)
    with open(os.path.join(folder, 'new.bin'), 'wb') as f:
        f.write(new)

    ctrl = b''.join(encode(x) + encode(y) + encode(z) for x, y, z in control)
    unpacked = (b'BSDIFN40' + encode(len(ctrl)) + encode(len(diff)) + encode(len(new)) +
                ctrl + bytes(diff) + extra)
    packed = zlib.compress(unpacked, 6)
    with open(os.path.join(folder, 'new.patch'), 'wb') as f:
        f.write(struct.pack('<II', len(unpacked), len(packed)) + packed)

    bz_ctrl = bz2.compress(ctrl)
    bz_diff = bz2.compress(bytes(diff))
    bz_extra = bz2.compress(extra)
    with open(os.path.join(folder, 'new.bsdiff'), 'wb') as f:
        f.write(b'BSDIFF40' + encode(len(bz_ctrl)) + encode(len(bz_diff)) + encode(len(new)))
        f.write(bz_ctrl + bz_diff + bz_extra)


if __name__ == '__main__':
    main()
