#!/usr/bin/env bash
# A 10-minute recording for looking at the timeline and the read-outs of a long drive:
# low-resolution test pictures with 600 s of telemetry (Munich, stops at three lights, a
# hard brake, a hard start, a swerve and a knock) in a skip atom. Written to bench/out/ (not kept in git). Needs ffmpeg and python3.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-bench/out/long-drive.mp4}
mkdir -p "$(dirname "$out")"
ffmpeg -v error -y -f lavfi -i "testsrc2=size=320x180:rate=10:duration=600" \
  -c:v libx264 -preset veryfast -crf 40 -pix_fmt yuv420p -g 50 "$out"
python3 - "$out" <<'PY'
import sys
from datetime import datetime
sys.path.insert(0, 'tools')
import telemetry_gen as g
samples = g.route('munich', 600, datetime(2026, 5, 14, 8, 15, 0), (140, 330, 470))
for t, (x, y, z) in {139: (-0.7, 0.05, 0.0), 250: (0.05, 0.62, 0.0), 480: (0.55, 0.0, 0.0), 540: (-1.7, 0.8, 0.6)}.items():
    samples[t].gx, samples[t].gy, samples[t].gz = x, y, round(1.0 + z, 2)
g.mp4_append_skip(sys.argv[1], samples)
PY
ls -l "$out"
