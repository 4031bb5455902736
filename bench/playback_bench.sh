#!/bin/sh
# Makes a 30 s 1080p30 H.264 recording (moving test pattern, AAC sound) in bench/out/ and
# plays it offscreen through the player view: pictures presented vs decoded, CPU, memory,
# time to the first picture.
# Usage: bench/playback_bench.sh <build-dir>
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build="${1:?build directory}"
out="$here/out"
mkdir -p "$out"
clip="$out/drive-1080p30.mp4"
if [ ! -f "$clip" ]; then
  ffmpeg -v error -y -f lavfi -i testsrc2=size=1920x1080:rate=30 -f lavfi -i sine=frequency=300:sample_rate=48000 \
    -t 30 -c:v libx264 -preset veryfast -b:v 12M -g 30 -pix_fmt yuv420p -c:a aac -b:a 96k "$clip"
fi
QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES='*.debug=false' "$build/bench/playback_bench" "$clip" "${2:-960}" "${3:-540}"
