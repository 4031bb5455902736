# Sourced by the cost benches: the clips they play (made once in bench/out/) and cpu().
# Needs: here (the bench folder).
out="$here/out"
mkdir -p "$out"
hd="$out/drive-1080p30.mp4"       # 30 s 1080p30 H.264, as playback_bench.sh records
uhd="$out/drive-2160p30-hevc.mp4" # 6 s 4K30 HEVC, as recent cameras make
rear="$out/drive-1080p30-rear.mp4" # another picture than hd's, same size and rate
if [ ! -f "$hd" ]; then
  ffmpeg -v error -y -f lavfi -i testsrc2=size=1920x1080:rate=30 -f lavfi -i sine=frequency=300:sample_rate=48000 \
    -t 30 -c:v libx264 -preset veryfast -b:v 12M -g 30 -pix_fmt yuv420p -c:a aac -b:a 96k "$hd"
fi
if [ ! -f "$uhd" ]; then
  ffmpeg -v error -y -f lavfi -i testsrc2=size=3840x2160:rate=30 -f lavfi -i sine=frequency=300:sample_rate=48000 \
    -t 6 -c:v libx265 -preset ultrafast -b:v 40M -x265-params log-level=error -g 30 -pix_fmt yuv420p \
    -tag:v hvc1 -c:a aac -b:a 96k "$uhd"
fi
make_rear() {
  [ -f "$rear" ] && return 0
  ffmpeg -v error -y -f lavfi -i testsrc=size=1920x1080:rate=30 -f lavfi -i sine=frequency=500:sample_rate=48000 \
    -t 30 -c:v libx264 -preset veryfast -b:v 12M -g 30 -pix_fmt yuv420p -c:a aac -b:a 96k "$rear"
}
cpu() { # CPU seconds (user + system) of a command
  /usr/bin/time -f "%U %S" "$@" 2>&1 >/dev/null | tail -1 | awk '{ printf "%.2f", $1 + $2 }'
}
