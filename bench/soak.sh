#!/usr/bin/env bash
# A long run: a generated card of 200 short recordings (4 s each, MP4, MOV and TS with their
# telemetry) played one after another through the real main view, offscreen, with
# bench/soak sabotaging some of them on the way (see its header). Takes a few minutes.
# Usage: bench/soak.sh <build-dir> [COUNT]
# Last line: soak: recordings=N ... flat=yes|no ; exit status 1 on any failure.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build="${1:?build directory}"
count="${2:-200}"
out="$here/out/soak"
mkdir -p "$out/base"
gen="python3 $here/../tools/telemetry_gen.py"

clip() { # NAME FORMAT KIND ROUTE START
  local dst="$out/base/$1"
  [ -s "$dst" ] && return
  ffmpeg -v error -y -f lavfi -i "testsrc2=size=320x180:rate=25:duration=4" \
    -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=4" \
    -c:v libx264 -preset veryfast -crf 34 -pix_fmt yuv420p -g 25 -bf 0 -c:a aac -b:a 32k -ac 1 \
    -f "$2" "$dst.tmp"
  $gen "$3" "$dst.tmp" "$4" 4@30 "$5" >/dev/null
  mv "$dst.tmp" "$dst"
}
clip a.mp4 mp4 skip munich 2026-05-14T08:15:00
clip b.mov mov gpstable shenzhen 2026-05-15T17:42:10
clip c.ts mpegts ts munich 2026-05-14T08:20:00

# The card: a fresh copy every run, since the run deletes and damages some of it.
card="$out/card"
rm -rf "$card"
mkdir -p "$card/DCIM/Movie"
bases=(a.mp4 b.mov c.ts)
exts=(MP4 MOV TS)
for ((i = 0; i < count; i++)); do
  k=$((i % 3))
  name=$(printf '2026_0514_%06d_%03dF.%s' $((81500 + i)) "$i" "${exts[$k]}")
  cp "$out/base/${bases[$k]}" "$card/DCIM/Movie/$name"
done

ls "$card/DCIM/Movie" | LC_ALL=C sort | sed "s|^|$card/DCIM/Movie/|" >"$out/card.list"
QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES='*.debug=false;*.info=false' TRAVA_HW_DECODING=0 \
  "$build/bench/soak" "$out/card.list"
