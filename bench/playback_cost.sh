#!/bin/sh
# The player's CPU against the decode floor, in one run: for each clip, ffmpeg decoding it
# with one thread to nowhere (the least any player must spend), then the player view playing it
# offscreen (playback_bench: decode, conversion, painting, the GUI). CPU seconds, not wall time:
# the machine is shared. Clips: the 30 s 1080p30 H.264 recording of playback_bench.sh and a 6 s
# 4K30 HEVC recording (as recent cameras make), both made once in bench/out/.
# Usage: bench/playback_cost.sh <build-dir> [runs]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build="${1:?build directory}"
runs="${2:-1}"
. "$here/costclips.sh"
for clip in "$hd" "$uhd"; do
  i=0
  while [ "$i" -lt "$runs" ]; do
    floor=$(cpu ffmpeg -v error -threads 1 -i "$clip" -f null -)
    player=$(QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES='*.debug=false' "$build/bench/playback_bench" "$clip" 960 540)
    pcpu=$(echo "$player" | awk '/^CPU seconds/ { print $3 }')
    first=$(echo "$player" | awk '/first picture  / { print $5 }')
    shown=$(echo "$player" | awk '/pictures presented/ { print $3 }')
    handed=$(echo "$player" | awk '/handed to the GUI/ { print $6 }')
    lost=$(echo "$player" | awk '/lost \(late\)/ { print $4 }')
    echo "$(basename "$clip"): floor ${floor} s, player ${pcpu} s ($(echo "$pcpu $floor" | awk '{ printf "%.2f", $1 / $2 }')x), first picture ${first} ms, presented ${shown} of ${handed} handed over, lost late ${lost}"
    i=$((i + 1))
  done
done
