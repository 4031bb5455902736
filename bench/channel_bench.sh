#!/bin/sh
# Makes two small cards of frame-numbered channel recordings (two and four channels, two
# moments each, 20 s at 25 fps) in bench/out/channels once, then plays each as one through
# the player view offscreen and reports how many frames the followers are from the main picture.
# Usage: bench/channel_bench.sh <build-dir> [--quick]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build="${1:?build directory}"
shift
out="$here/out/channels"
"$here/../tools/make-channel-clips.sh" "$out" 20 25 >/dev/null
QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES='*.debug=false' "$build/bench/channel_bench" --fps=25 "$@" \
  "$out/two" "$out/four"
