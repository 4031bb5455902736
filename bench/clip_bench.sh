#!/usr/bin/env bash
# Clip export on a 60 s 1920x1080 30 fps recording with telemetry, range 20 s (20 to 40 s):
#   1. lossless cut (trava-clip): the recordings' own packets; then with its evidence package
#      (--evidence), and trava-clip --version for what the start of a process alone costs;
#   2. burned-in with the default widgets, x264 veryfast (trava-clip --burn-in);
#   3. the plain re-encode it is held against, in the same run:
#        ffmpeg -i IN -ss 20 -t 20 -c:v libx264 -preset veryfast -crf 20 -c:a copy
#      and, for the record, the same with the seek before the input (-ss 20 -i IN).
#   4. two cameras of one moment composed (--layout pip, then side), against 2.
# Each is run RUNS times (default 3); every line gives wall and CPU seconds and the peak
# resident memory (/usr/bin/time). On a shared machine the CPU time is the figure to compare.
# Usage: bench/clip_bench.sh [BUILD_DIR] [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=$(realpath "${1:-build}")
RUNS="${2:-3}"
IN=bench/out/drive-60s-1080p30.mp4 # not the 30 s clip of the playback benches
tools/make-clip-fixtures.sh bench bench/out >/dev/null
OUT=$(mktemp -d /tmp/clip-bench.XXXXXX)
trap 'rm -rf "$OUT"' EXIT
CLIP="$BUILD/cli/trava-clip"

measure() { # LABEL COMMAND...
  local label=$1; shift
  for run in $(seq "$RUNS"); do
    rm -f "$OUT"/*.mp4 "$OUT"/*.gpx "$OUT"/*.csv "$OUT"/*.html "$OUT"/*.pdf "$OUT"/*.sha256
    /usr/bin/time -f "%e %U %S %M" -o "$OUT/time" "$@" >/dev/null 2>"$OUT/err" || { cat "$OUT/err"; exit 1; }
    read -r wall user sys rss <"$OUT/time"
    awk -v l="$label" -v w="$wall" -v u="$user" -v s="$sys" -v m="$rss" -v r="$run" \
      'BEGIN { printf "%-34s run %d  wall %6.2f s  cpu %6.2f s  x real time (wall) %7.1f  peak %5.0f MiB\n", l, r, w, u + s, 20 / w, m / 1024 }'
  done
}

echo "machine: $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
measure "process start (--version)" "$CLIP" --version
measure "lossless (trava-clip)" "$CLIP" --from 20 --to 40 -o "$OUT/lossless.mp4" "$IN"
measure "lossless with evidence" "$CLIP" --evidence --from 20 --to 40 -o "$OUT/lossless.mp4" "$IN"
# For comparison: ffmpeg's copy of the same range, then sha256sum of the source and the copy.
measure "ffmpeg -c copy + sha256sum" bash -c "ffmpeg -v error -y -ss 20 -i '$IN' -t 20 -c copy '$OUT/copy.mp4' \
  && sha256sum '$IN' '$OUT/copy.mp4'"
measure "burn-in default widgets" "$CLIP" --burn-in --from 20 --to 40 -o "$OUT/burn.mp4" "$IN"
measure "ffmpeg -i IN -ss 20 -t 20" ffmpeg -v error -y -i "$IN" -ss 20 -t 20 -c:v libx264 -preset veryfast -crf 20 \
  -c:a copy "$OUT/ffmpeg.mp4"
measure "ffmpeg -ss 20 -i IN -t 20" ffmpeg -v error -y -ss 20 -i "$IN" -t 20 -c:v libx264 -preset veryfast -crf 20 \
  -c:a copy "$OUT/ffmpeg-seek.mp4"
# The same recording as the front and the rear camera of one moment (named by the card rules).
ln -sf "$(realpath "$IN")" "$OUT/2026_0514_081500_0001F.MP4"
ln -sf "$(realpath "$IN")" "$OUT/2026_0514_081500_0001R.MP4"
for layout in pip side; do
  measure "burn-in 2 cameras --layout $layout" "$CLIP" --burn-in --layout "$layout" --from 20 --to 40 \
    -o "$OUT/composed.mp4" "$OUT/2026_0514_081500_0001F.MP4" "$OUT/2026_0514_081500_0001R.MP4"
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
if [ -x "$BUILD/bench/clip_timings" ]; then
  echo "a lossless cut with its evidence in one process, as the window runs it (libraries loaded):"
  "$BUILD/bench/clip_timings" --evidence "$IN" 20 40 "$OUT/evidence.mp4" 7
  echo "where a burned-in clip's time goes (in-process, the exporting thread's clock):"
  "$BUILD/bench/clip_timings" "$IN" 20 40 "$OUT/timings.mp4"
  "$BUILD/bench/clip_timings" "$IN" 20 40 "$OUT/timings.mp4" pip "$IN"
fi
