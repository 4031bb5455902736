#!/bin/sh
# Makes the frame-numbered recordings with telemetry (40 s each, 25 and 30 fps, MP4 and TS) in
# bench/out/ once, then plays them offscreen through the player view and the read-outs and
# reports how many frames the instruments lag behind (or run ahead of) the picture.
# Usage: bench/sync_bench.sh <build-dir> [--quick]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build="${1:?build directory}"
shift
out="$here/out"
"$here/../tools/make-sync-clips.sh" "$out" 40 "25 30" "mp4 ts" >/dev/null
QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES='*.debug=false' "$build/bench/sync_bench" "$@" \
  "$out/sync-25fps.mp4" "$out/sync-25fps.ts" "$out/sync-30fps.mp4" "$out/sync-30fps.ts"
