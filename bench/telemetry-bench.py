#!/usr/bin/env python3
"""Wall time and peak memory of trava-gps on the large inputs, with ExifTool on the
binary-record file as the peer, in the same run.

  bench/telemetry-bench.py [path/to/trava-gps] [--runs N]
  bench/telemetry-bench.py [path/to/trava-gps] --cold [--runs N] [--before OTHER-trava-gps]

Generates the inputs first (bench/make-telemetry-inputs.py); reads them once beforehand so
every figure is from the page cache. Prints a Markdown table for docs/benchmarks.md.

--cold measures every case twice in one run: cold (the page cache dropped before each run
with `sync; echo 3 > /proc/sys/vm/drop_caches`, which needs root; where that is refused, the
input's own pages are dropped with posix_fadvise(POSIX_FADV_DONTNEED) instead, and the table
says so) and warm; ExifTool on the record-table file is measured the same way. --before adds
a second trava-gps (an older build) to every case for a no-slower check."""
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


def drop_caches(path):
    """Empties the page cache; returns how it was done."""
    subprocess.run(['sync'], check=True)
    try:
        with open('/proc/sys/vm/drop_caches', 'w') as f:
            f.write('3\n')
        return 'drop_caches'
    except OSError:
        fd = os.open(path, os.O_RDONLY)
        try:
            os.posix_fadvise(fd, 0, 0, os.POSIX_FADV_DONTNEED)
        finally:
            os.close(fd)
        return 'fadvise DONTNEED'


def measure_cold(cmd, path, runs):
    walls, how = [], ''
    for _ in range(runs):
        how = drop_caches(path)
        walls.append(run(cmd)[0])
    return min(walls), statistics.median(walls), how


def cold_main(tool, before, runs):
    subprocess.run([sys.executable, os.path.join(here, 'make-telemetry-inputs.py')], check=True)
    exif = ['exiftool', '-ee', '-api', 'LargeFileSupport=1']
    cases = ['drive-2g-table.mp4', 'drive-2g-skip.mp4', 'drive-1h.ts']
    tools = [('trava-gps', tool)] + ([('trava-gps (before)', before)] if before else [])
    rows = []
    results = {}
    for name in cases:
        path = os.path.join(out, name)
        cmds = [(label, [t, path]) for label, t in tools]
        if name == 'drive-2g-table.mp4':
            cmds.append(('exiftool -ee', exif + [path]))
        for label, cmd in cmds:
            n = runs if label.startswith('trava') else max(3, runs // 2)
            cb, cm, how = measure_cold(cmd, path, n)
            warm(path)
            wb, wm, _, _ = measure(cmd, n)
            results[(label, name)] = (cb, cm, wb, wm)
            rows.append((label, name, cb, cm, wb, wm, how))
    print("| Command | Input | Cold best | Cold median | Warm best | Warm median | Cache emptied by |")
    print("|---|---|---|---|---|---|---|")
    for label, name, cb, cm, wb, wm, how in rows:
        print(f"| {label} | {name} | {cb * 1000:.1f} ms | {cm * 1000:.1f} ms | {wb * 1000:.1f} ms | "
              f"{wm * 1000:.1f} ms | {how} |")
    ours = results[('trava-gps', 'drive-2g-table.mp4')]
    peer = results[('exiftool -ee', 'drive-2g-table.mp4')]
    print(f"\nExifTool / trava-gps on the record-table file: cold {peer[1] / ours[1]:.1f}x (medians), "
          f"{peer[0] / ours[0]:.1f}x (best); warm {peer[3] / ours[3]:.1f}x (medians), {peer[2] / ours[2]:.1f}x (best)")
    return 0


def main(argv):
    tool = os.path.join(root, 'build', 'cli', 'trava-gps')
    runs = 5
    cold = False
    before = None
    args = argv[1:]
    while args:
        a = args.pop(0)
        if a == '--runs':
            runs = int(args.pop(0))
        elif a == '--cold':
            cold = True
        elif a == '--before':
            before = args.pop(0)
        else:
            tool = a
    if cold:
        return cold_main(tool, before, runs)
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
