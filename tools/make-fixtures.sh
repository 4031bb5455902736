#!/usr/bin/env bash
# Regenerates the small real recordings under tests/data/: a few seconds of H.264 made
# by ffmpeg, with telemetry stored the way cameras store it. Needs ffmpeg and python3.
set -euo pipefail
cd "$(dirname "$0")/.."
out=tests/data
gen="python3 tools/telemetry_gen.py"
mkdir -p "$out"
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT

video() { # DURATION SIZE OUTPUT [ffmpeg muxer options]
  local dur=$1 size=$2 dst=$3; shift 3
  ffmpeg -v error -y -f lavfi -i "testsrc2=size=$size:rate=10:duration=$dur" \
    -c:v libx264 -preset veryfast -crf 38 -pix_fmt yuv420p -g 10 -bf 0 "$@" "$dst"
}

# MP4: block group in a top-level skip atom after moov (Munich).
video 4 320x180 "$tmp/a.mp4"
$gen skip "$tmp/a.mp4" munich 4@20 2026-05-14T08:15:00
cp "$tmp/a.mp4" "$out/clip-mp4-voka.mp4"

# MOV: binary records in free/GPS blocks listed by a 'gps ' table in moov (Shenzhen).
video 4 320x180 "$tmp/b.mov" -f mov
$gen gpstable "$tmp/b.mov" shenzhen 4@25 2026-05-15T17:42:10
cp "$tmp/b.mov" "$out/clip.mov"

# TS: one block group a second in packets of PID 0x300 (Munich).
video 3 320x180 "$tmp/c.ts" -f mpegts
$gen ts "$tmp/c.ts" munich 3@40 2026-05-14T08:20:00
cp "$tmp/c.ts" "$out/clip.ts"

# AVI: camera-chip trailer at the end of the file (Munich).
video 3 320x180 "$tmp/d.avi" -f avi
$gen trailer "$tmp/d.avi" munich 3@60 2026-05-14T08:25:00
cp "$tmp/d.avi" "$out/clip.avi"

# Incident drive (Munich, 30 s): a hard brake at 8 s, a swerve at 15 s, an impact at 22 s;
# the same drive with the G-sensor in g and in m/s^2.
video 30 320x180 "$tmp/inc.mp4" -r 5
for unit in g ms2; do
  cp "$tmp/inc.mp4" "$tmp/inc-$unit.mp4"
  $gen incident "$tmp/inc-$unit.mp4" 30 2026-05-14T09:00:00 "$unit"
done
cp "$tmp/inc-g.mp4" "$out/incident.mp4"
cp "$tmp/inc-ms2.mp4" "$out/incident-ms2.mp4"

# A trip of three 10 s recordings whose telemetry runs on from one file to the next.
for k in 1 2 3; do
  video 10 320x180 "$tmp/trip-$k.mp4" -r 5
  skip=$(( (k - 1) * 10 + 1 ))
  $gen skip "$tmp/trip-$k.mp4" munich "10@$skip" "2026-05-14T08:30:$(printf %02d $skip)"
  cp "$tmp/trip-$k.mp4" "$out/trip-$k.mp4"
done

ls -l "$out"/clip* "$out"/incident* "$out"/trip-*
