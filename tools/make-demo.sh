#!/usr/bin/env bash
# Regenerates resources/demo/demo-drive.mp4: 75 s of a drawn drive (sky, road with lane
# markings that move with the car's speed, clock and speed read-out) with the drive's
# 1 Hz telemetry (Leopoldstrasse, Munich, one stop at a light) in a skip atom after moov.
# Needs ffmpeg (with libass) and python3.
set -euo pipefail
cd "$(dirname "$0")/.."
out=resources/demo/demo-drive.mp4
gen="python3 tools/telemetry_gen.py"
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
mkdir -p "$(dirname "$out")"

$gen demo - "$tmp/drive.srt" "$tmp/dist.txt"
dist=$(sed "s/,/\\\\,/g" "$tmp/dist.txt")

# One still frame: sky gradient, grass, a road narrowing to the horizon with white edges.
ffmpeg -v error -y -f lavfi -i color=c=black:s=640x360:d=1 -frames:v 1 -vf "geq=\
r='if(lt(Y,170),70+Y*0.7,if(lt(abs(X-320),22+(Y-170)*1.75),if(lt(abs(abs(X-320)-(22+(Y-170)*1.75)+5),2.5),230,88),54+Y*0.05))':\
g='if(lt(Y,170),140+Y*0.45,if(lt(abs(X-320),22+(Y-170)*1.75),if(lt(abs(abs(X-320)-(22+(Y-170)*1.75)+5),2.5),230,90),110+Y*0.08))':\
b='if(lt(Y,170),235,if(lt(abs(X-320),22+(Y-170)*1.75),if(lt(abs(abs(X-320)-(22+(Y-170)*1.75)+5),2.5),230,95),40))'" \
  "$tmp/bg.png"

# Centre-line dashes run down the road as the car covers ground (distance d in metres).
dashes=""
for k in 0 1 2 3; do
  y="172+mod(($dist)*9+$k*48\,190)"
  dashes+="drawbox=x=316-(${y}-170)/40:y=$y:w=8+(${y}-170)/20:h=6+(${y}-170)/12:color=white@0.9:t=fill,"
done

ffmpeg -v error -y -loop 1 -framerate 25 -i "$tmp/bg.png" -t 75 \
  -vf "${dashes}subtitles=$tmp/drive.srt:force_style='FontName=DejaVu Sans,FontSize=18,Alignment=7,MarginL=14,MarginV=10,Outline=1'" \
  -c:v libx264 -preset veryfast -crf 30 -pix_fmt yuv420p -g 50 "$tmp/demo.mp4"
$gen demo "$tmp/demo.mp4"
cp "$tmp/demo.mp4" "$out"
ls -l "$out"
