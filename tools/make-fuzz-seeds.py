#!/usr/bin/env python3
"""Writes the seed corpus of fuzz_decode: one small recording per container path.
Byte 0 of a seed picks the extension (0 mp4, 1 mov, 2 ts, 3 avi, 4 txt; +0x80 pretreated)."""
import os
import struct
import sys
from datetime import datetime

sys.path.insert(0, os.path.dirname(__file__))
import telemetry_gen as g  # noqa: E402

out = os.path.join(os.path.dirname(__file__), '..', 'fuzz', 'corpus', 'fuzz_decode')
os.makedirs(out, exist_ok=True)
s = g.route('munich', 4, datetime(2026, 5, 14, 8, 15), ())
ftyp = g.atom(b'ftyp', b'isom' + bytes(4))


def put(name, kind, body):
    with open(os.path.join(out, name), 'wb') as f:
        f.write(bytes([kind]) + body)


put('mp4-skip', 0, ftyp + g.atom(b'mdat', bytes(64)) + g.atom(b'skip', g.block_group(s[:2])))
put('mp4-skip-ex', 0x80, ftyp + g.atom(b'skip', g.block_group(s[:3], with_angle=True)))
blocks = [g.gps_free_block(x) for x in s[:2]]
base = len(ftyp) + 8
entries, off = b'', base
for b in blocks:
    entries += struct.pack('>II', off, len(b))
    off += len(b)
gps = g.atom(b'gps ', struct.pack('>II', 0x101, len(blocks)) + entries)
put('mov-gps-table', 1, ftyp + g.atom(b'mdat', b''.join(blocks)) + g.atom(b'moov', gps))
gmd = g.block_group(s[:1])
stsd = g.atom(b'stsd', bytes(4) + struct.pack('>I', 1) + g.atom(b'gpmd', bytes(8)))
stco = g.atom(b'stco', bytes(4) + struct.pack('>II', 1, base))
trak = g.atom(b'trak', g.atom(b'mdia', g.atom(b'minf', g.atom(b'stbl', stsd + stco))))
put('mov-gpmd', 1, ftyp + g.atom(b'mdat', gmd + bytes(820 - len(gmd))) + g.atom(b'moov', trak))
put('ts-packets', 2, b''.join(g.ts_packet(g.block_group([x]), i) for i, x in enumerate(s[:3])))
skip = g.atom(b'skip', g.block_group(s[:2]))
put('avi-trailer', 3, g.atom(b'RIFF', bytes(32)) + skip + b'&&&&' + struct.pack('>I', len(skip) + 8))
put('txt-group', 4, g.block_group(s))
put('txt-group-ex', 0x84, g.block_group(s))
print('seeds in', os.path.normpath(out))
