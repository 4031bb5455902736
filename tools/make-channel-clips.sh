#!/usr/bin/env bash
# Makes a small card of frame-numbered channel recordings for measuring how well the channels
# of one moment keep step: two moments (groups) of two channels (front, rear) and of four
# (front, rear, interior, telephoto). Every channel of a moment is the same frame-numbered
# clip of tools/make-sync-clips.sh (its frame number in a pixel pattern, telemetry inside), so
# the pictures on screen say how far apart the channels are.
#
# Usage: tools/make-channel-clips.sh OUTDIR [SECONDS] [FPS]
#   OUTDIR/two/Movie/2026_0514_091500_0001F.MP4  ..._0001R.MP4  (then 091600_0002F/R)
#   OUTDIR/four/Movie/2026_0514_091500_0001{F,R,I,T}.MP4         (then 091600_0002...)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out="${1:?output directory}"
seconds="${2:-20}"
fps="${3:-25}"
mkdir -p "$out/base"
"$here/make-sync-clips.sh" "$out/base" "$seconds" "$fps" mp4 >/dev/null
src="$out/base/sync-${fps}fps.mp4"

make_card() {
  local dir="$1"; shift
  mkdir -p "$dir/Movie"
  local n=1
  for start in 091500 091600; do
    for letter in "$@"; do
      cp "$src" "$dir/Movie/2026_0514_${start}_000${n}${letter}.MP4"
    done
    n=$((n + 1))
  done
}
make_card "$out/two" F R
make_card "$out/four" F R I T
ls -l "$out"/two/Movie "$out"/four/Movie
