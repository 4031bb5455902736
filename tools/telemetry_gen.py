#!/usr/bin/env python3
"""Builds dash-camera telemetry and stores it in recordings the way cameras do.

Used by make-fixtures.sh, make-demo.sh and the benchmark input generator. Three
payload kinds: VOKAGPS block groups (packed text blocks), 44-byte binary
records in free/GPS blocks, and the containers around them (top-level skip
atom, gps table in moov, TS packets on PID 0x300, camera-chip trailer).
"""
import math
import struct
import sys
from dataclasses import dataclass
from datetime import datetime, timedelta

SPACE = 0x20


def pack(data: bytes) -> bytes:
    """Packs bytes with the camera's space-folding transform."""
    out = bytearray()
    i = 0
    n = len(data)
    while i < n:
        if i + 4 > n:
            t = data[i]
            out += bytes([t & 0x13, t & 0xEC])
            i += 1
            continue
        a, b, c, d = data[i:i + 4]
        if a == SPACE:
            out += bytes([0x40 | (b & 0x01) | (c & 0x06) | (d & 0x18),
                          (b & 0xFE) ^ 0x20, (c & 0xF9) ^ 0x20, (d & 0xE7) ^ 0x20])
        elif b == SPACE:
            out += bytes([0x60 | (a & 0x03) | (c & 0x04) | (d & 0x18),
                          (a & 0xFC) ^ 0x20, (c & 0xFB) ^ 0x20, (d & 0xE7) ^ 0x20])
        elif c == SPACE:
            out += bytes([0x80 | (a & 0x03) | (b & 0x0C) | (d & 0x10),
                          (a & 0xFC) ^ 0x20, (b & 0xF3) ^ 0x20, (d & 0xEF) ^ 0x20])
        elif d == SPACE:
            out += bytes([0xA0 | (a & 0x01) | (b & 0x06) | (c & 0x18),
                          (a & 0xFE) ^ 0x20, (b & 0xF9) ^ 0x20, (c & 0xE7) ^ 0x20])
        else:
            out += bytes([0xC0 | (a & 0x01) | (b & 0x02) | (c & 0x0C) | (d & 0x30),
                          (a & 0xFE) ^ 0x20, (b & 0xFD) ^ 0x20, (c & 0xF3) ^ 0x20, (d & 0xCF) | 0x20])
        i += 4
    return bytes(out)


@dataclass
class Sample:
    index: int
    when: datetime
    lat: float
    lon: float
    speed: float      # km/h
    gx: float         # g, along the car (+ accelerating, - braking)
    gy: float         # g, across the car
    gz: float         # g, up (gravity reads about 1.00)
    heading: float

    def text(self, with_angle=False) -> str:
        ns = 'N' if self.lat >= 0 else 'S'
        ew = 'E' if self.lon >= 0 else 'W'
        t = (f"{self.when:%Y/%m/%d %H:%M:%S} {ns}:{abs(self.lat):.6f} {ew}:{abs(self.lon):.6f} "
             f"{self.speed:.1f} km/h x:{self.gx:.2f} y:{self.gy:.2f} z:{self.gz:.2f}")
        if with_angle:
            t += f" A:{self.heading:.1f}"
        return t


def data_block(index: int, text: str) -> bytes:
    raw = struct.pack('<i', index) + text.encode('ascii')
    packed = pack(raw)
    if not 1 <= len(packed) <= 124:
        raise ValueError(f"block text too long to pack: {text!r}")
    blk = b'####' + struct.pack('<I', len(packed)) + packed
    return blk + bytes(132 - len(blk))


def block_group(samples, with_angle=False, kind=1) -> bytes:
    head = b'VOKAGPSINFO\0' + bytes(3) + bytes([kind]) + struct.pack('<I', len(samples))
    return head + b''.join(data_block(s.index, s.text(with_angle)) for s in samples)


def ddmm(deg: float) -> float:
    d = int(abs(deg))
    return d * 100 + (abs(deg) - d) * 60


def binary_record(s: Sample) -> bytes:
    return struct.pack('<6i4c4f', s.when.hour, s.when.minute, s.when.second, s.when.year - 2000,
                       s.when.month, s.when.day, b'A', b'N' if s.lat >= 0 else b'S',
                       b'E' if s.lon >= 0 else b'W', b'\0', ddmm(s.lat), ddmm(s.lon),
                       s.speed, s.heading)


def gps_free_block(s: Sample) -> bytes:
    """One Novatek-style block: free atom, 'GPS ', record length, the record."""
    rec = binary_record(s)
    body = b'free' + b'GPS ' + struct.pack('<I', len(rec)) + rec
    return struct.pack('>I', 4 + len(body)) + body


# ---------------------------------------------------------------- routes
GRAVITY = 9.81  # m/s^2 in one g


def haversine(a, b):
    r = 6371000.0
    p1, p2 = math.radians(a[0]), math.radians(b[0])
    dp, dl = p2 - p1, math.radians(b[1] - a[1])
    h = math.sin(dp / 2) ** 2 + math.cos(p1) * math.cos(p2) * math.sin(dl / 2) ** 2
    return 2 * r * math.asin(math.sqrt(h))


def bearing(a, b):
    p1, p2 = math.radians(a[0]), math.radians(b[0])
    dl = math.radians(b[1] - a[1])
    y = math.sin(dl) * math.cos(p2)
    x = math.cos(p1) * math.sin(p2) - math.sin(p1) * math.cos(p2) * math.cos(dl)
    return (math.degrees(math.atan2(y, x)) + 360) % 360


def drive(waypoints, speeds_kmh, start: datetime, first_index=0):
    """Moves along the waypoints at the given per-second speeds; one sample a second."""
    legs = [haversine(waypoints[i], waypoints[i + 1]) for i in range(len(waypoints) - 1)]
    out = []
    dist = 0.0
    prev_v = speeds_kmh[0] / 3.6
    prev_head = None
    wobble = 0.37
    for i, v_kmh in enumerate(speeds_kmh):
        # position at the current distance along the polyline
        d, leg = dist, 0
        while leg < len(legs) - 1 and d > legs[leg]:
            d -= legs[leg]
            leg += 1
        f = min(1.0, d / legs[leg]) if legs[leg] > 0 else 0.0
        a, b = waypoints[leg], waypoints[leg + 1]
        pos = (a[0] + (b[0] - a[0]) * f, a[1] + (b[1] - a[1]) * f)
        head = bearing(a, b)
        v = v_kmh / 3.6
        along = v - prev_v
        turn = 0.0 if prev_head is None else ((head - prev_head + 540) % 360 - 180)
        across = math.radians(turn) * v
        wobble = (wobble * 7.3 + 0.19) % 1.0
        # Cameras report the G-sensor in g: a town drive stays within a few tenths of g
        # along and across the car, gravity reads about 1 g, and the road adds a few
        # hundredths of g of vibration on every axis.
        out.append(Sample(first_index + i, start + timedelta(seconds=i), pos[0], pos[1], v_kmh,
                          round(along / GRAVITY + (wobble - 0.5) * 0.08, 2),
                          round(across / GRAVITY + (wobble - 0.5) * 0.05, 2),
                          round(1.0 + (wobble - 0.5) * 0.04, 2), head))
        prev_v, prev_head = v, head
        dist += v
    return out


def speed_profile(seconds, stops=()):
    """Accelerates from standstill, cruises around 45-50 km/h and brakes for the given stop seconds."""
    out = []
    v = 0.0
    for t in range(seconds):
        target = 48.0 + 4.0 * math.sin(t / 9.0)
        for s in stops:
            if s - 8 <= t < s + 5:
                target = 0.0
        if seconds - t <= 8:
            target = 0.0
        out.append(round(v, 1))
        step = 5.5 if target > v else 9.0
        v = min(target, v + step) if target > v else max(target, v - step)
    return out


# Leopoldstrasse / Ludwigstrasse, Munich, heading south from Muenchner Freiheit.
MUNICH = [(48.16196, 11.58634), (48.15922, 11.58560), (48.15600, 11.58472),
          (48.15255, 11.58227), (48.15020, 11.58075), (48.14650, 11.57930),
          (48.14258, 11.57762)]
# Shennan Boulevard, Shenzhen, heading east from Chegongmiao.
SHENZHEN = [(22.53685, 114.02445), (22.53920, 114.03350), (22.54105, 114.04420),
            (22.54230, 114.05530), (22.54330, 114.06510)]


DEMO_SECONDS = 75
DEMO_STOPS = (34,)


# Seconds into an incident recording where the driver brakes hard, swerves and is hit.
INCIDENT_BRAKE, INCIDENT_TURN, INCIDENT_IMPACT = 8, 15, 22
UNITS = {'g': 1.0, 'ms2': GRAVITY, 'counts': 1024.0}


def incident(seconds, start, unit='g'):
    """A town drive with one hard brake, one sharp swerve and one impact, with the
    G-sensor stored in g, m/s^2 or raw counts (1024 a g) as different cameras do.
    Text blocks hold at most 19.6 on x and y and 20 on z (the decoder zeroes more), so
    the impact stays under 2 g on each axis and counts only suit other formats."""
    speeds, v = [], 0.0
    for t in range(seconds):
        if t in (INCIDENT_BRAKE, INCIDENT_BRAKE + 1):
            v = max(5.0, v - 22.0)
        elif t == INCIDENT_IMPACT:
            v = 10.0
        elif t > INCIDENT_IMPACT:
            v = max(0.0, v - 9.0)
        else:
            v = min(48.0, v + 5.5)
        speeds.append(round(v, 1))
    samples = drive(MUNICH, speeds, start)
    jolts = {INCIDENT_BRAKE: (-0.62, 0.05, 0.0), INCIDENT_BRAKE + 1: (-0.48, 0.02, 0.0),
             INCIDENT_TURN: (0.05, 0.58, 0.0),
             INCIDENT_IMPACT: (-1.8, 0.9, 0.7), INCIDENT_IMPACT + 1: (-0.7, 0.2, 0.1)}
    for t, (x, y, z) in jolts.items():
        if t < len(samples):
            s = samples[t]
            s.gx, s.gy, s.gz = x, y, round(1.0 + z, 2)
    per_g = UNITS[unit]
    for s in samples:
        s.gx, s.gy, s.gz = (round(v * per_g, 2) for v in (s.gx, s.gy, s.gz))
    return samples


def route(name, seconds, start, stops=()):
    if name == 'ramp':
        # Every second a different speed (10 + i km/h): a read-out tells the samples apart.
        return drive(MUNICH, [10.0 + i for i in range(seconds)], start)
    wp = {'munich': MUNICH, 'shenzhen': SHENZHEN}[name]
    return drive(wp, speed_profile(seconds, stops), start)


# ---------------------------------------------------------------- containers
def atom(kind: bytes, payload: bytes) -> bytes:
    return struct.pack('>I', 8 + len(payload)) + kind + payload


def mp4_append_skip(path, samples):
    """Appends a top-level skip atom holding one block group (the camera's own spot)."""
    with open(path, 'ab') as f:
        f.write(atom(b'skip', block_group(samples)))


def mp4_add_gps_table(path, samples):
    """Stores binary records in free/GPS blocks after the file and lists them in a
    'gps ' atom at the end of moov (moov must be the last top-level atom)."""
    data = bytearray(open(path, 'rb').read())
    p = 0
    moov = None
    while p + 8 <= len(data):
        size, kind = struct.unpack('>I4s', data[p:p + 8])
        if kind == b'moov':
            moov = p
        if size < 8:
            break
        p += size
    if moov is None or p != len(data):
        raise ValueError('moov not found or trailing bytes')
    moov_size = struct.unpack('>I', data[moov:moov + 4])[0]
    if moov + moov_size != len(data):
        raise ValueError('moov is not the last atom')
    blocks = [gps_free_block(s) for s in samples]
    table_size = 16 + 8 * len(blocks)
    first = len(data) + table_size
    entries = bytearray()
    off = first
    for b in blocks:
        entries += struct.pack('>II', off, len(b))
        off += len(b)
    gps = struct.pack('>I4sII', table_size, b'gps ', 0x101, len(blocks)) + entries
    data[moov:moov + 4] = struct.pack('>I', moov_size + len(gps))
    data += gps + b''.join(blocks)
    open(path, 'wb').write(bytes(data))


def ts_packet(group: bytes, cc: int) -> bytes:
    if len(group) > 178:
        raise ValueError('block group too large for one packet')
    return bytes([0x47, 0x43, 0x00, 0x10 | (cc & 15)]) + bytes(6) + group + bytes(178 - len(group))


def ts_insert(path, samples):
    """Interleaves one telemetry packet a second on PID 0x300 into a TS file."""
    data = open(path, 'rb').read()
    n = len(data) // 188
    pkts = [data[i * 188:(i + 1) * 188] for i in range(n)]
    every = max(1, n // len(samples))
    out = bytearray()
    k = 0
    for i, p in enumerate(pkts):
        if i % every == 0 and k < len(samples):
            out += ts_packet(block_group([samples[k]]), k)
            k += 1
        out += p
    while k < len(samples):
        out += ts_packet(block_group([samples[k]]), k)
        k += 1
    open(path, 'wb').write(bytes(out))


def trailer_append(path, samples):
    """Camera-chip trailer: a skip atom of block groups, then '&&&&' and the distance back to it."""
    body = atom(b'skip', block_group(samples))
    with open(path, 'ab') as f:
        f.write(body + b'&&&&' + struct.pack('>I', len(body) + 8))


def demo_assets(samples, srt_path):
    """Writes an SRT of clock and speed per second; returns an ffmpeg expression of the
    distance driven (metres) at time t, so the road markings move with the car."""
    with open(srt_path, 'w') as f:
        for i, s in enumerate(samples):
            f.write(f"{i + 1}\n{ts(i)} --> {ts(i + 1)}\n")
            f.write(f"{s.when:%Y-%m-%d %H:%M:%S}   {s.speed:.0f} km/h\n\n")
    terms = [f"{s.speed / 3.6:.2f}*clip(t-{i},0,1)" for i, s in enumerate(samples) if s.speed > 0]
    return '+'.join(terms) or '0'


def ts(sec):
    return f"00:{sec // 60:02d}:{sec % 60:02d},000"


def main(argv):
    if len(argv) >= 2 and argv[1] == 'demo':
        # demo FILE.mp4 SRT EXPR_FILE: block group of the whole drive + the video's assets
        samples = route('munich', DEMO_SECONDS, datetime(2026, 5, 14, 8, 15, 0), DEMO_STOPS)
        if argv[2] != '-':
            mp4_append_skip(argv[2], samples)
            s = samples[0]
            print(f"{argv[2]}: {len(samples)} samples, first {s.lat:.6f} {s.lon:.6f} {s.speed:.1f} km/h")
        else:
            open(argv[4], 'w').write(demo_assets(samples, argv[3]))
        return 0
    if len(argv) >= 2 and argv[1] == 'incident':
        # incident FILE.mp4 SECONDS START [g|ms2|counts]: skip atom with an incident drive
        unit = argv[5] if len(argv) > 5 else 'g'
        samples = incident(int(argv[3]), datetime.fromisoformat(argv[4]), unit)
        mp4_append_skip(argv[2], samples)
        print(f"{argv[2]}: {len(samples)} samples, G-sensor in {unit}")
        return 0
    if len(argv) < 5:
        print('usage: telemetry_gen.py KIND FILE ROUTE SECONDS[@SKIP] [START] [STOP...]\n'
              '  KIND: skip | gpstable | ts | trailer   ROUTE: munich | shenzhen | ramp', file=sys.stderr)
        return 2
    kind, path, name = argv[1], argv[2], argv[3]
    # SECONDS or SECONDS@SKIP: SKIP seconds into the drive, so a short clip is already moving
    seconds, _, skip = argv[4].partition('@')
    seconds, skip = int(seconds), int(skip or 0)
    start = datetime.fromisoformat(argv[5]) if len(argv) > 5 else datetime(2026, 5, 14, 8, 15, 0)
    stops = [int(s) for s in argv[6:]]
    tail = 10 if skip else 0   # a clip cut from the middle of a drive does not brake at its end
    samples = route(name, seconds + skip + tail, start - timedelta(seconds=skip), stops)[skip:skip + seconds]
    for i, s in enumerate(samples):
        s.index = i
    {'skip': mp4_append_skip, 'gpstable': mp4_add_gps_table, 'ts': ts_insert,
     'trailer': trailer_append}[kind](path, samples)
    s = samples[0]
    print(f"{path}: {len(samples)} samples, first {s.lat:.6f} {s.lon:.6f} {s.speed:.1f} km/h")
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
