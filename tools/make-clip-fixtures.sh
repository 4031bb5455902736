#!/usr/bin/env bash
# Makes the recordings the clip export is tested and measured on. Needs ffmpeg and python3.
#
#   tools/make-clip-fixtures.sh tests   -> tests/data/clip/: two consecutive 4 s recordings
#       (640x360, 30 fps, a key frame every second, B-frames, AAC sound) whose every frame
#       carries its own number (the pattern of make-sync-clips.sh, read by
#       tests/support/framenumber.h) and whose telemetry says 10 + i km/h in second i of the
#       trip (14 + i in the second recording), and a 320x180 recording that does not join them.
#   tools/make-clip-fixtures.sh bench DIR -> DIR/drive-60s-1080p30.mp4: 60 s of 1920x1080 at 30 fps
#       with sound and a town drive's telemetry, for bench/clip_bench.sh.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
gen="python3 $here/telemetry_gen.py"

numbered() { # SECONDS WIDTH HEIGHT FIRST_FRAME OUTPUT
  local dur=$1 w=$2 h=$3 first=$4 dst=$5
  local bw=$((w / 16)) rh=$((h * 2 / 9))
  local bit="mod(floor((N+$first)/pow(2,floor(X/$bw))),2)"
  local pattern="if(lt(Y,$rh),255*$bit,if(lt(Y,$((rh * 2))),255*(1-$bit),96+40*mod(floor(X/40)+floor(Y/40)+N,2)))"
  ffmpeg -v error -y -f lavfi -i "color=c=gray:s=${w}x${h}:r=30:d=$dur" \
    -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=$dur" \
    -vf "format=gray,geq=lum='$pattern',format=yuv420p" \
    -c:v libx264 -preset veryfast -crf 30 -g 30 -keyint_min 30 -sc_threshold 0 -bf 2 \
    -c:a aac -b:a 32k -ac 1 -movflags +faststart "$dst"
}

case "${1:-}" in
tests)
  out="$here/../tests/data/clip"
  mkdir -p "$out"
  tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
  numbered 4 640 360 0 "$tmp/a.mp4"
  $gen skip "$tmp/a.mp4" ramp 4 2026-05-14T09:10:00
  numbered 4 640 360 120 "$tmp/b.mp4"
  $gen skip "$tmp/b.mp4" ramp 4@4 2026-05-14T09:10:04
  numbered 2 320 180 0 "$tmp/other.mp4"
  $gen skip "$tmp/other.mp4" ramp 2 2026-05-14T09:10:08
  mv "$tmp/a.mp4" "$out/trip-a.mp4"
  mv "$tmp/b.mp4" "$out/trip-b.mp4"
  mv "$tmp/other.mp4" "$out/other-size.mp4"
  ls -l "$out"
  ;;
bench)
  out="${2:?output folder}"
  mkdir -p "$out"
  dst="$out/drive-60s-1080p30.mp4"
  [ -s "$dst" ] && { ls -l "$dst"; exit 0; }
  # A moving, detailed picture so that the encoder has real work, as on a camera's road.
  ffmpeg -v error -y -f lavfi -i "testsrc2=size=1920x1080:rate=30:duration=60" \
    -f lavfi -i "sine=frequency=300:sample_rate=48000:duration=60" \
    -vf "noise=alls=12:allf=t" -c:v libx264 -preset veryfast -b:v 12M -maxrate 12M -bufsize 24M \
    -g 30 -bf 0 -pix_fmt yuv420p -c:a aac -b:a 96k "$dst.tmp.mp4"
  $gen skip "$dst.tmp.mp4" munich 60@5 2026-05-14T08:15:00
  mv "$dst.tmp.mp4" "$dst"
  ls -l "$dst"
  ;;
*)
  echo "usage: $0 tests | bench DIR" >&2
  exit 2
  ;;
esac
