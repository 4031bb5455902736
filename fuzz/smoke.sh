#!/usr/bin/env bash
# Runs every fuzz target found in DIR for SECONDS each, starting from its seed corpus.
set -euo pipefail
dir=$1; secs=${2:-25}
here=$(cd "$(dirname "$0")" && pwd)
shopt -s nullglob
for t in "$dir"/fuzz_*; do
  [ -x "$t" ] || continue
  name=$(basename "$t")
  work=$(mktemp -d)
  seeds=()
  [ -d "$here/corpus/$name" ] && seeds+=("$here/corpus/$name")
  echo "-- $name"
  "$t" -artifact_prefix="$work/" -max_total_time="$secs" -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 "$work" "${seeds[@]}" 2>&1 | tail -n 3
  rm -rf "$work"
done
