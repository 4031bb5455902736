#!/usr/bin/env bash
# Makes recordings for measuring how well the instruments keep step with the picture: every
# frame carries its own frame number as a pixel pattern, and the telemetry's sample i differs
# from sample i-1 (the speed is 10 + i km/h), so both the picture and the read-outs say which
# second is on screen. At 25 and 30 fps, as MP4 (block group in a skip atom) and as TS (one
# telemetry packet a second; ffmpeg's default mux delay starts the clock ahead of the first
# picture, as cameras' streams do). Needs ffmpeg and python3.
#
# Pattern, 320x180: row 0 (y 0..39) holds the frame number's bits, least significant first,
# one 20x40 block per bit (white = 1) across 16 blocks; row 1 (y 40..79) holds the
# complement, so a reader can tell a clean picture from a half-decoded one.
#
# Usage: tools/make-sync-clips.sh OUTDIR [SECONDS] [RATES] [KINDS]
#        e.g. tools/make-sync-clips.sh bench/out 40 "25 30" "mp4 ts"
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out="${1:?output directory}"
seconds="${2:-40}"
rates="${3:-25 30}"
kinds="${4:-mp4 ts}"
mkdir -p "$out"

bit='mod(floor(N/pow(2,floor(X/20))),2)'
pattern="if(lt(Y,40),255*$bit,if(lt(Y,80),255*(1-$bit),96+40*mod(floor(X/40)+floor(Y/40)+N,2)))"

for fps in $rates; do
  for kind in $kinds; do
    dst="$out/sync-${fps}fps.$kind"
    [ -s "$dst" ] && continue
    tmp="$dst.tmp.$kind"
    fmt=(-movflags +faststart)
    [ "$kind" = ts ] && fmt=(-f mpegts)
    ffmpeg -v error -y -f lavfi -i "color=c=gray:s=320x180:r=$fps:d=$seconds" \
      -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=$seconds" \
      -vf "format=gray,geq=lum='$pattern',format=yuv420p" \
      -c:v libx264 -preset veryfast -crf 20 -g "$fps" -bf 2 -c:a aac -b:a 32k -ac 1 "${fmt[@]}" "$tmp"
    if [ "$kind" = ts ]; then
      python3 "$here/telemetry_gen.py" ts "$tmp" ramp "$seconds" >/dev/null
    else
      python3 "$here/telemetry_gen.py" skip "$tmp" ramp "$seconds" >/dev/null
    fi
    mv "$tmp" "$dst"
  done
done
ls -l "$out"/sync-*
