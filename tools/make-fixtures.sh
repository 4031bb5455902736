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

ls -l "$out"/clip*
