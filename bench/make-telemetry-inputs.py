#!/usr/bin/env python3
"""Generates the large telemetry benchmark inputs under bench/out/ (never committed):

  drive-1h.ts          1 GiB transport stream, one telemetry packet (PID 0x300) a second for an hour
  drive-2g-skip.mp4    2 GiB MP4, sparse media data, the hour's block group in a skip atom after moov
  drive-2g-table.mp4   2 GiB MP4, sparse media data holding one free/GPS binary record a second,
                       listed by a 'gps ' table in moov

Files that already exist with the right size are kept."""
import os
import random
import struct
import sys
from datetime import datetime

here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(here, '..', 'tools'))
import telemetry_gen as g  # noqa: E402

OUT = os.path.join(here, 'out')
HOUR = 3600
GIB = 1 << 30


def samples():
    return g.route('munich', HOUR, datetime(2026, 5, 14, 8, 0, 0), (600, 1500, 2400, 3300))


def make_ts(path, size=GIB):
    n = size // 188
    every = n // HOUR
    rnd = random.Random(7)
    filler = bytearray()
    for i in range(every - 1):
        # video packets of PID 0x100 with noise for payload
        filler += bytes([0x47, 0x01, 0x00, 0x10 | (i & 15)]) + rnd.randbytes(184)
    filler = bytes(filler)
    with open(path, 'wb') as f:
        written = 0
        for k, s in enumerate(samples()):
            f.write(g.ts_packet(g.block_group([s]), k))
            f.write(filler)
            written += every
        tail = n - written
        f.write(filler[:tail * 188])


def ftyp():
    return g.atom(b'ftyp', b'isom' + struct.pack('>I', 512) + b'isomiso2avc1mp41')


def mdat_header(media_size):
    # 64-bit size: the media alone passes 2 GiB
    return struct.pack('>I4sQ', 1, b'mdat', 16 + media_size)


def make_mp4_skip(path, media=2 * GIB):
    head = ftyp() + mdat_header(media)
    moov = g.atom(b'moov', g.atom(b'mvhd', bytes(100)))
    with open(path, 'wb') as f:
        f.write(head)
        f.seek(len(head) + media)
        f.write(moov + g.atom(b'skip', g.block_group(samples())))


def make_mp4_table(path, media=2 * GIB):
    head = ftyp() + mdat_header(media)
    base = len(head)
    step = media // HOUR
    entries = []
    with open(path, 'wb') as f:
        f.write(head)
        for k, s in enumerate(samples()):
            block = g.gps_free_block(s)
            off = base + k * step + step // 2
            f.seek(off)
            f.write(block)
            entries.append(struct.pack('>II', off, len(block)))
        table = g.atom(b'gps ', struct.pack('>II', 0x101, len(entries)) + b''.join(entries))
        f.seek(base + media)
        f.write(g.atom(b'moov', g.atom(b'mvhd', bytes(100)) + table))


def main():
    os.makedirs(OUT, exist_ok=True)
    jobs = [('drive-1h.ts', make_ts, GIB), ('drive-2g-skip.mp4', make_mp4_skip, 2 * GIB),
            ('drive-2g-table.mp4', make_mp4_table, 2 * GIB)]
    for name, make, at_least in jobs:
        path = os.path.join(OUT, name)
        if os.path.exists(path) and os.path.getsize(path) >= at_least * 0.99:
            continue
        print('generating', path, flush=True)
        make(path)
    return 0


if __name__ == '__main__':
    sys.exit(main())
