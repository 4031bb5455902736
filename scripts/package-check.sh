#!/usr/bin/env bash
# Builds the Debian package from a finished build and tries it as a user would:
#   1. cpack -G DEB in the build folder: trava-player_<version>_amd64.deb;
#   2. lintian on it: no errors;
#   3. its contents unpacked into an empty folder (dpkg-deb -x), every file it must hold;
#   4. its Depends resolvable on this Debian (apt-get satisfy, simulated);
#   5. the packaged trava-gps on a test recording, the packaged player under Xvfb on the demo
#      drive: its window appears, and Ctrl+Q ends it with status 0.
# Usage: scripts/package-check.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
BUILD=$(realpath "${1:-build}")
WORK=$(mktemp -d /tmp/trava-package.XXXXXX)
PLAYER_PID=
cleanup() {
  if [ -n "$PLAYER_PID" ]; then kill "$PLAYER_PID" 2>/dev/null || true; fi
  rm -rf "$WORK"
}
trap cleanup EXIT
fail() { echo "package-check: $*" >&2; exit 1; }

echo "== package (cpack -G DEB)"
rm -f "$BUILD"/trava-player_*.deb
(cd "$BUILD" && cpack -G DEB >"$WORK/cpack.log" 2>&1) || { cat "$WORK/cpack.log"; fail "cpack failed"; }
DEB=$(ls "$BUILD"/trava-player_*_amd64.deb)
echo "$DEB"
dpkg-deb -f "$DEB" Package Version Architecture Depends Recommends

echo "== lintian"
# Errors fail the check; warnings are shown for the record.
lintian --fail-on error --tag-display-limit 0 "$DEB" || fail "lintian reports errors"

echo "== contents"
ROOTFS="$WORK/root"
dpkg-deb -x "$DEB" "$ROOTFS"
for f in usr/bin/trava-player usr/bin/trava-gps usr/bin/trava-clip usr/share/man/man1/trava-clip.1.gz \
         usr/share/applications/trava-player.desktop \
         usr/share/metainfo/org.trava.TravaPlayer.metainfo.xml \
         usr/share/icons/hicolor/scalable/apps/trava-player.svg \
         usr/share/man/man1/trava-gps.1.gz usr/share/man/man1/trava-player.1.gz \
         usr/share/doc/trava-player/copyright usr/share/doc/trava-player/changelog.gz; do
  [ -f "$ROOTFS/$f" ] || fail "missing /$f"
done
# The manual pages must format without complaint.
for page in trava-gps trava-player trava-clip; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$ROOTFS/usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "man $page: $warnings"
done

echo "== dependencies"
apt-get satisfy -s -qq "$(dpkg-deb -f "$DEB" Depends)" >/dev/null || fail "Depends cannot be satisfied"

echo "== packaged trava-gps"
out=$("$ROOTFS/usr/bin/trava-gps" "$ROOT/tests/data/clip.ts")
[ "$(head -1 <<<"$out")" = "0 2026/05/14 08:20:00 N:48.157722 E:11.585191 44.3 km/h x:0.02 y:0.01 z:1.01;" ] ||
  fail "unexpected output: $out"
"$ROOTFS/usr/bin/trava-gps" --format gpx -r -j 2 -o "$WORK/tracks" "$ROOT/tests/data" 2>/dev/null || true
[ -s "$WORK/tracks/data/clip-mp4-voka.gpx" ] || fail "no GPX written under -o"

echo "== packaged trava-clip"
"$ROOTFS/usr/bin/trava-clip" --from 1 --to 3 -o "$WORK/clip.mp4" "$ROOT/tests/data/clip/trip-a.mp4" ||
  fail "the packaged trava-clip could not cut a clip"
[ -s "$WORK/clip.mp4" ] || fail "no clip written"
"$ROOTFS/usr/bin/trava-clip" --burn-in --preset ultrafast --from 1 --to 3 -o "$WORK/burned.mp4" \
  "$ROOT/tests/data/clip/trip-a.mp4" || fail "the packaged trava-clip could not burn in the dashboard"
dpkg-deb -f "$DEB" Depends | grep -q "libavformat" || fail "Depends lacks the FFmpeg libraries"

echo "== packaged player under Xvfb"
# A home and runtime folder of its own: no settings of the user's, and no other player on
# this machine can take the file through its single-instance socket.
mkdir -p "$WORK/home" "$WORK/run"
chmod 700 "$WORK/run"
cat >"$WORK/player.sh" <<SCRIPT
#!/usr/bin/env bash
set -u
export HOME="$WORK/home" XDG_RUNTIME_DIR="$WORK/run" QT_QPA_PLATFORM=xcb
"$ROOTFS/usr/bin/trava-player" "$ROOT/resources/demo/demo-drive.mp4" >"$WORK/player.log" 2>&1 &
pid=\$!
wid=\$(timeout 30 xdotool search --sync --onlyvisible --pid \$pid 2>/dev/null | head -1)
if [ -z "\$wid" ]; then echo "no window appeared" >&2; kill \$pid; exit 1; fi
echo "window \$wid: \$(xdotool getwindowname \$wid)"
sleep 3  # let it play a little
kill -0 \$pid 2>/dev/null || { echo "the player died while playing" >&2; exit 1; }
xdotool windowfocus --sync \$wid key --clearmodifiers ctrl+q
for _ in \$(seq 50); do kill -0 \$pid 2>/dev/null || break; sleep 0.2; done
if kill -0 \$pid 2>/dev/null; then echo "the player did not quit on Ctrl+Q" >&2; kill \$pid; exit 1; fi
wait \$pid
status=\$?
echo "exit status \$status"
exit \$status
SCRIPT
chmod +x "$WORK/player.sh"
xvfb-run -a -s "-screen 0 1280x800x24" "$WORK/player.sh" || { cat "$WORK/player.log"; fail "packaged player"; }
echo "Package check passed: $(basename "$DEB")"
