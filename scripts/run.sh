#!/usr/bin/env bash
# Installs what is missing, builds, and starts the player on the bundled demo drive.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
"$ROOT/scripts/install-deps.sh"
cmake -S "$ROOT" -B "$ROOT/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$ROOT/build" -j"$(nproc)"
DEMO="$ROOT/resources/demo/demo-drive.mp4"
if [ -x "$ROOT/build/app/trava-player" ]; then
  exec "$ROOT/build/app/trava-player" "$DEMO" "$@"
fi
exec "$ROOT/build/cli/trava-gps" "$DEMO"
