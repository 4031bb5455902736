#!/bin/sh
# Two channels played as one against their decode floors, in one run: ffmpeg decoding each
# channel's file with one thread to nowhere, then the player view playing the front with the
# rear following it (playback_bench --rear). CPU seconds (user + system). Pairs: two 1080p30
# H.264 channels, and a 4K30 HEVC front with a 1080p30 rear (the clips of playback_cost.sh,
# made once in bench/out/).
# Usage: bench/channel_cost.sh <build-dir> [runs]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build="${1:?build directory}"
runs="${2:-1}"
. "$here/costclips.sh"
make_rear
pair() { # front rear
  front_floor=$(cpu ffmpeg -v error -threads 1 -i "$1" -f null -)
  rear_floor=$(cpu ffmpeg -v error -threads 1 -t 6 -i "$2" -f null -)
  [ "$1" = "$hd" ] && rear_floor=$(cpu ffmpeg -v error -threads 1 -i "$2" -f null -)
  player=$(QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES='*.debug=false' "$build/bench/playback_bench" --rear="$2" "$1" 960 540)
  pcpu=$(echo "$player" | awk '/^CPU seconds/ { print $3 }')
  handed=$(echo "$player" | awk '/handed to the GUI/ && !/rear/ { print $6 }')
  shown=$(echo "$player" | awk '/pictures presented/ { print $3 }')
  lost=$(echo "$player" | awk '/lost \(late\)/ && !/rear/ { print $4 }')
  rearline=$(echo "$player" | awk '/^rear:/ { sub(/^rear: /, ""); print }')
  sum=$(echo "$front_floor $rear_floor" | awk '{ printf "%.2f", $1 + $2 }')
  echo "$(basename "$1") + $(basename "$2"): floors ${front_floor} + ${rear_floor} = ${sum} s, player ${pcpu} s ($(echo "$pcpu $sum" | awk '{ printf "%.2f", $1 / $2 }')x the sum); front: presented ${shown} of ${handed} handed over, lost late ${lost}; rear: ${rearline}"
}
i=0
while [ "$i" -lt "$runs" ]; do
  pair "$hd" "$rear"
  pair "$uhd" "$rear"
  i=$((i + 1))
done
