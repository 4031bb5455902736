#!/bin/sh
# Makes the short clips the playback tests play: a test pattern with a counter and a tone,
# 320x180 (a height the decoder pads, so cropping is exercised), 25 fps, 2 s, in MP4, MOV and TS.
# The TS clip keeps ffmpeg's default mux delay, so its clock starts ahead of its first picture
# like the cameras' streams do.
set -eu
out="${1:-$(dirname "$0")/../tests/data/playback}"
mkdir -p "$out"
src="-f lavfi -i testsrc=size=320x180:rate=25 -f lavfi -i sine=frequency=440:sample_rate=48000"
enc="-t 2 -c:v libx264 -preset veryfast -crf 35 -g 25 -pix_fmt yuv420p -c:a aac -b:a 32k -ac 1"
# shellcheck disable=SC2086
ffmpeg -v error -y $src $enc -movflags +faststart "$out/clip2s.mp4"
# shellcheck disable=SC2086
ffmpeg -v error -y $src $enc "$out/clip2s.mov"
# shellcheck disable=SC2086
ffmpeg -v error -y $src $enc -f mpegts "$out/clip2s.ts"
ls -l "$out"
