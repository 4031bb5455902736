#!/usr/bin/env python3
"""Wall time and peak memory of trava-gps on the large inputs, with ExifTool on the
binary-record file as the peer, in the same run.

  bench/telemetry-bench.py [path/to/trava-gps] [--runs N]

Generates the inputs first (bench/make-telemetry-inputs.py); reads them once beforehand so
every figure is from the page cache. Prints a Markdown table for docs/benchmarks.md."""
import os
import statistics
import subprocess
import sys
import time

here = os.path.dirname(os.path.abspath(__file__))
root = os.path.dirname(here)
out = os.path.join(here, 'out')


def run(cmd):
    """Returns (wall seconds, peak RSS in KiB, stdout) of one child. The peak comes from
    /usr/bin/time, which measures the program alone (not a forked copy of this script)."""
    rss_file = os.path.join(out, '.rss')
    start = time.perf_counter()
    p = subprocess.run(['/usr/bin/time', '-f', '%M', '-o', rss_file] + cmd, stdout=subprocess.PIPE,
                       stderr=subprocess.DEVNULL)
    wall = time.perf_counter() - start
    if p.returncode != 0:
        raise SystemExit(f"{' '.join(cmd)} failed with {p.returncode}")
    with open(rss_file) as f:
        peak = int(f.read().split()[-1])
    return wall, peak, p.stdout


def measure(cmd, runs):
    walls, peaks, data = [], [], b''
    for _ in range(runs):
        w, m, data = run(cmd)
        walls.append(w)
        peaks.append(m)
    return min(walls), statistics.median(walls), max(peaks), data


def warm(path):
    with open(path, 'rb') as f:
        while f.read(8 << 20):
            pass


def main(argv):
    tool = os.path.join(root, 'build', 'telemetry', 'trava-gps')
    runs = 5
    args = argv[1:]
    while args:
        a = args.pop(0)
        if a == '--runs':
            runs = int(args.pop(0))
        else:
            tool = a
    subprocess.run([sys.executable, os.path.join(here, 'make-telemetry-inputs.py')], check=True)
    cases = [('drive-1h.ts', '1 GiB TS, 1 Hz telemetry packets, one hour'),
             ('drive-2g-skip.mp4', '2 GiB MP4 (sparse media), block group in a skip atom after the media'),
             ('drive-2g-table.mp4', '2 GiB MP4 (sparse media), binary-record table in moov')]
    rows = []
    for name, what in cases:
        path = os.path.join(out, name)
        warm(path)
        best, med, peak, data = measure([tool, path], runs)
        lines = data.count(b'\n')
        size = os.path.getsize(path)
        rate = f", {size / best / 1e9:.2f} GB/s" if name.endswith('.ts') else ''
        rows.append((f"trava-gps {name}", what, lines, best, med, peak, rate))
    table = os.path.join(out, 'drive-2g-table.mp4')
    best, med, peak, data = measure(['exiftool', '-ee', '-api', 'LargeFileSupport=1', table], max(1, runs // 2))
    # ExifTool visits every record block (see -v3) but prints positions only for layouts it knows.
    lines = data.count(b'GPS Latitude ')
    rows.append(("exiftool -ee -api LargeFileSupport=1 drive-2g-table.mp4", 'peer on the binary-record file',
                 lines, best, med, peak, ''))

    print(f"| Command | Input | Samples | Best wall | Median wall | Peak RSS |")
    print("|---|---|---|---|---|---|")
    for cmd, what, n, b, m, p, rate in rows:
        print(f"| {cmd} | {what} | {n} | {b * 1000:.1f} ms{rate} | {m * 1000:.1f} ms | {p / 1024:.1f} MiB |")
    ours = rows[2][3]
    peer = rows[3][3]
    print(f"\nExifTool / trava-gps on the binary-record file (best wall): {peer / ours:.0f}x")
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
