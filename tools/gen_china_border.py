#!/usr/bin/env python3
"""Generate track/chinaborder.cpp: the border ring of the WGS-84 -> GCJ-02 region.

The ring is 344 rows of (latitude, longitude) as 32-bit floats, row 343 closing it on
row 0. Its land part follows China's international boundary from the Digital Chart of
the World (Debian package gmt-dcw, read with ncdump from netcdf-bin); its sea part is a
hand-drawn line that takes in the coastal waters, Hainan, Taiwan and the South China Sea
down to 3.78 N while leaving Korea, Japan's Ryukyu islands, the Philippines, Borneo and
Vietnam's coast outside.

Nine rows are fixed (the player has always used them): the three opposite Sikkim, the
westmost, northmost, eastmost and southmost vertices, the last vertex by Bhutan and the
closing row. Between two fixed rows the boundary is simplified top-down (always keep
the point farthest from the current line) to exactly the number of rows available.

Only needed when the ring is to be regenerated; the build uses the committed output.
    apt-get install gmt-dcw netcdf-bin
    python3 tools/gen_china_border.py > track/chinaborder.cpp
"""

import heapq
import math
import re
import struct
import subprocess
import sys

DCW = "/usr/share/gmt-dcw/dcw-gmt.nc"
ROWS = 344

# Row index -> (latitude, longitude), exactly as the player has always had them.
FIXED = {
    0: (27.320829, 88.916931),
    1: (27.542431, 88.764641),
    2: (28.008051, 88.835747),
    63: (39.235691, 73.620049),     # westmost
    181: (53.543610, 123.614700),   # northmost
    213: (47.700272, 134.760803),   # eastmost
    258: (3.775854, 111.938904),    # southmost
    342: (28.057770, 89.487488),
    343: (27.320829, 88.916931),    # closes the ring
}

# Where the land boundary meets the sea.
YALU_MOUTH = (39.83, 124.15)
BEILUN_MOUTH = (21.53, 107.97)

# Sea line from the Yalu mouth to the southmost row: west of the Korean islands, east of
# the Diaoyu islands and Taiwan (Yonaguni and the Batanes stay out), west of Luzon,
# Palawan and Sabah, north of Brunei and Sarawak.
SEA_EAST = [
    (39.50, 124.05), (37.50, 123.90), (35.50, 123.50), (33.00, 124.30), (30.50, 124.00),
    (27.50, 123.30), (26.00, 123.70), (25.00, 122.40), (22.30, 121.90), (21.60, 121.30),
    (19.60, 119.90), (16.00, 119.20), (13.00, 118.10), (11.00, 117.60), (8.80, 116.30),
    (7.20, 115.40), (5.50, 113.90), (4.60, 112.80),
]
# Sea line from the southmost row to the Beilun mouth: east of Natuna and of Vietnam's
# coast and islands, down the middle of the Gulf of Tonkin.
SEA_WEST = [
    (5.50, 109.70), (12.00, 110.00), (15.50, 109.90), (17.20, 108.30), (18.50, 107.90),
    (20.20, 108.05), (21.35, 108.05),
]


def f32(v):
    return struct.unpack("f", struct.pack("f", v))[0]


def ncdump(args):
    return subprocess.run(["ncdump", *args, DCW], capture_output=True, text=True, check=True).stdout


def read_variable(name):
    body = ncdump(["-v", name]).split("data:", 1)[1]
    body = body.split("=", 1)[1].rsplit(";", 1)[0]
    return [None if t.strip() == "_" else int(t) for t in body.replace("\n", " ").split(",")]


def china_mainland():
    """The largest polygon of China's outline as (lat, lon) pairs."""
    header = ncdump(["-h"])

    def attr(var, key):
        return float(re.search(r"%s:%s = ([-0-9.eE]+)" % (var, key), header).group(1))

    lon0, lon_scale = attr("CN_lon", "min"), attr("CN_lon", "scale")
    lat0, lat_scale = attr("CN_lat", "min"), attr("CN_lat", "scale")
    polygons, current = [], []
    # A missing value separates the polygons.
    for x, y in zip(read_variable("CN_lon"), read_variable("CN_lat")):
        if x is None or y is None:
            if current:
                polygons.append(current)
            current = []
            continue
        current.append((lat0 + y / lat_scale, lon0 + x / lon_scale))
    if current:
        polygons.append(current)
    return max(polygons, key=len)


def nearest(points, target):
    lat, lon = target
    k = math.cos(math.radians(lat))
    return min(range(len(points)), key=lambda i: (points[i][0] - lat) ** 2 + ((points[i][1] - lon) * k) ** 2)


def deviation(p, a, b):
    """Distance of p from what the region test makes of the edge a-b.

    The test counts an edge as crossed by the eastward ray when the position's latitude is
    within the edge's span and the first vertex lies east of it: in effect the boundary
    runs due north or south from a to b's latitude, then due east or west to b.
    """
    k = math.cos(math.radians((a[0] + b[0]) / 2))
    lo, hi = min(a[0], b[0]), max(a[0], b[0])
    # The meridian leg at a's longitude, then the parallel leg at b's latitude.
    dv = math.hypot((p[1] - a[1]) * k, max(lo - p[0], 0, p[0] - hi))
    w, e = min(a[1], b[1]), max(a[1], b[1])
    dh = math.hypot(max(w - p[1], 0, p[1] - e) * k, p[0] - b[0])
    return min(dv, dh)


def simplify(path, interior):
    """Keep `interior` points of path between its two ends, farthest-first."""
    if interior == 0:
        return []
    if interior > len(path) - 2:
        sys.exit("not enough boundary points to simplify")

    def farthest(lo, hi):
        best, at = -1.0, -1
        for i in range(lo + 1, hi):
            d = deviation(path[i], path[lo], path[hi])
            if d > best:
                best, at = d, i
        return best, at

    heap, kept = [], []

    def push(lo, hi):
        if hi - lo > 1:
            d, at = farthest(lo, hi)
            heapq.heappush(heap, (-d, lo, hi, at))

    push(0, len(path) - 1)
    while len(kept) < interior:
        _, lo, hi, at = heapq.heappop(heap)
        kept.append(at)
        push(lo, at)
        push(at, hi)
    return [path[i] for i in sorted(kept)]


def build_ring():
    land = china_mainland()
    anchor = {row: nearest(land, FIXED[row]) for row in (342, 0, 1, 2, 63, 181, 213)}
    yalu, beilun = nearest(land, YALU_MOUTH), nearest(land, BEILUN_MOUTH)
    order = [beilun, anchor[342], anchor[0], anchor[1], anchor[2], anchor[63], anchor[181], anchor[213], yalu]
    if order != sorted(order):
        sys.exit("the DCW outline does not run the expected way round")

    ring = [None] * ROWS
    for row, point in FIXED.items():
        ring[row] = point

    def fill(first_row, last_row, lo, hi):
        """Rows strictly between first_row and last_row from land[lo..hi]."""
        count = last_row - first_row - 1
        for offset, point in enumerate(simplify(land[lo:hi + 1], count)):
            ring[first_row + 1 + offset] = point

    fill(2, 63, anchor[2], anchor[63])
    fill(63, 181, anchor[63], anchor[181])
    fill(181, 213, anchor[181], anchor[213])

    yalu_row = 258 - len(SEA_EAST) - 1
    fill(213, yalu_row, anchor[213], yalu)
    ring[yalu_row] = land[yalu]
    ring[yalu_row + 1:258] = SEA_EAST

    beilun_row = 258 + len(SEA_WEST) + 1
    ring[259:beilun_row] = SEA_WEST
    ring[beilun_row] = land[beilun]
    fill(beilun_row, 342, beilun, anchor[342])

    # The fixed rows are the extremes: pull any other vertex just inside them.
    south, north = FIXED[258][0], FIXED[181][0]
    west, east = FIXED[63][1], FIXED[213][1]
    margin = 1e-4
    for row in range(ROWS):
        if row in FIXED:
            continue
        lat, lon = ring[row]
        ring[row] = (min(max(lat, south + margin), north - margin), min(max(lon, west + margin), east - margin))
    return [(f32(lat), f32(lon)) for lat, lon in ring]


def check(ring):
    assert len(ring) == ROWS and ring[0] == ring[-1]
    for row, (lat, lon) in FIXED.items():
        assert "%.6f %.6f" % ring[row] == "%.6f %.6f" % (lat, lon), row
    lats = [p[0] for p in ring]
    lons = [p[1] for p in ring]
    assert lats.index(min(lats)) == 258 and lats.index(max(lats)) == 181
    assert lons.index(min(lons)) == 63 and lons.index(max(lons)) == 213


def emit(ring):
    out = [
        "// Generated by tools/gen_china_border.py from the Digital Chart of the World",
        "// (Debian package gmt-dcw). Do not edit by hand.",
        '#include "datum.h"',
        "",
        "const std::array<BorderVertex, kChinaBorderRows> china_Gps = {{",
    ]
    for row, (lat, lon) in enumerate(ring):
        out.append("    {%.6ff, %.6ff}, // %d" % (lat, lon, row))
    out.append("}};")
    return "\n".join(out) + "\n"


def main():
    ring = build_ring()
    check(ring)
    sys.stdout.write(emit(ring))


if __name__ == "__main__":
    main()
