#!/usr/bin/env python3
"""Generates the folders of the batch benchmark under bench/out/ (never committed):

  batch-short/   1,000 short recordings: copies of the four committed test clips (TS, MOV,
                 MP4 with a block group, AVI with a trailer), 34-45 KB each, in 10 sub-folders
  batch-mixed/   about 10 GB of one-minute recordings, every byte written (no sparse files,
                 no hard links): 24 TS of 256 MiB (a telemetry packet a second), 8 MP4 of
                 256 MiB with the minute's block group in a skip atom after moov, 8 MP4 of
                 256 MiB with one free/GPS binary record a second listed by a 'gps ' table

  bench/make-batch-inputs.py [--mixed-gib N]   (default 10; smaller when disk is short)

Folders whose files already exist with the right size are kept."""
import os
import random
import shutil
import struct
import sys
from datetime import datetime, timedelta

here = os.path.dirname(os.path.abspath(__file__))
root = os.path.dirname(here)
sys.path.insert(0, os.path.join(root, 'tools'))
import telemetry_gen as g  # noqa: E402

OUT = os.path.join(here, 'out')
MIB = 1 << 20
CLIP = 256 * MIB
MINUTE = 60


def minute(k):
    return g.route('munich', MINUTE, datetime(2026, 5, 14, 8, 0, 0) + timedelta(minutes=k))


def filler(seed, size):
    """Noise standing in for video: a random 8 MiB pattern rotated by the seed, so files differ."""
    rnd = random.Random(seed)
    pattern = rnd.randbytes(8 * MIB)
    shift = seed * 4099 % len(pattern)
    pattern = pattern[shift:] + pattern[:shift]
    while size > 0:
        n = min(size, len(pattern))
        yield pattern[:n]
        size -= n


def make_ts(path, k):
    n = CLIP // 188
    every = n // MINUTE
    video = bytearray()
    noise = random.Random(k).randbytes(every * 184)
    for i in range(every - 1):
        video += bytes([0x47, 0x01, 0x00, 0x10 | (i & 15)]) + noise[i * 184:(i + 1) * 184]
    with open(path, 'wb') as f:
        for j, s in enumerate(minute(k)):
            f.write(g.ts_packet(g.block_group([s]), j))
            f.write(video)


def ftyp():
    return g.atom(b'ftyp', b'isom' + struct.pack('>I', 512) + b'isomiso2avc1mp41')


def make_mp4_skip(path, k):
    media = CLIP - 4096
    with open(path, 'wb') as f:
        f.write(ftyp() + struct.pack('>I4s', 8 + media, b'mdat'))
        for chunk in filler(k, media):
            f.write(chunk)
        f.write(g.atom(b'moov', g.atom(b'mvhd', bytes(100))) + g.atom(b'skip', g.block_group(minute(k))))


def make_mp4_table(path, k):
    media = CLIP - 4096
    head = ftyp() + struct.pack('>I4s', 8 + media, b'mdat')
    data = bytearray(b''.join(filler(k + 1000, media)))
    step = media // MINUTE
    entries = []
    for j, s in enumerate(minute(k)):
        block = g.gps_free_block(s)
        at = j * step + step // 2
        data[at:at + len(block)] = block
        entries.append(struct.pack('>II', len(head) + at, len(block)))
    table = g.atom(b'gps ', struct.pack('>II', 0x101, len(entries)) + b''.join(entries))
    with open(path, 'wb') as f:
        f.write(head)
        f.write(data)
        f.write(g.atom(b'moov', g.atom(b'mvhd', bytes(100)) + table))


def make_short(folder):
    clips = ['clip.ts', 'clip.mov', 'clip-mp4-voka.mp4', 'clip.avi']
    for i in range(1000):
        src = os.path.join(root, 'tests', 'data', clips[i % 4])
        sub = os.path.join(folder, f'{i // 100:03d}')
        os.makedirs(sub, exist_ok=True)
        dst = os.path.join(sub, f'REC{i:04d}' + os.path.splitext(src)[1].upper())
        if not os.path.exists(dst):
            shutil.copyfile(src, dst)


def main(argv):
    gib = 10
    if len(argv) > 2 and argv[1] == '--mixed-gib':
        gib = int(argv[2])
    make_short(os.path.join(OUT, 'batch-short'))
    mixed = os.path.join(OUT, 'batch-mixed')
    os.makedirs(mixed, exist_ok=True)
    count = gib * 4  # 256 MiB files
    kinds = [('TS', make_ts)] * 3 + [('MP4', make_mp4_skip), ('MP4', make_mp4_table)]
    for k in range(count):
        ext, make = kinds[k % len(kinds)]
        path = os.path.join(mixed, f'{k // 8:03d}', f'CAM{k:04d}.{ext}')
        os.makedirs(os.path.dirname(path), exist_ok=True)
        if os.path.exists(path) and os.path.getsize(path) >= CLIP * 0.99:
            continue
        print('generating', path, flush=True)
        make(path, k)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
