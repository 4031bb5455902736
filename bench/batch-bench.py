#!/usr/bin/env python3
"""trava-gps over whole folders against ExifTool over the same folders, in the same run.

  bench/batch-bench.py [path/to/trava-gps] [--runs N] [--mixed-gib N]

Folders from bench/make-batch-inputs.py: 1,000 short recordings, and about 10 GB of mixed
one-minute recordings. For each folder:
  cold    the folder's pages dropped from the cache first (posix_fadvise DONTNEED on its own
          files only: other users' caches stay), then one run; 'cat' of the same cold folder
          gives the storage's read speed for comparison
  warm    best and median of N runs with everything in the page cache
trava-gps runs as 'trava-gps -r -j J --format csv -o DIR FOLDER' (one CSV per recording);
ExifTool as 'exiftool -r -ee FOLDER' with its text output thrown away. Prints Markdown rows."""
import os
import statistics
import subprocess
import sys
import tempfile
import time

here = os.path.dirname(os.path.abspath(__file__))
root = os.path.dirname(here)
out = os.path.join(here, 'out')


def files_of(folder):
    paths = []
    for d, _, names in os.walk(folder):
        paths += [os.path.join(d, n) for n in names]
    return sorted(paths)


def evict(folder):
    for p in files_of(folder):
        fd = os.open(p, os.O_RDONLY)
        try:
            os.fsync(fd)
            os.posix_fadvise(fd, 0, 0, os.POSIX_FADV_DONTNEED)
        finally:
            os.close(fd)


def timed(cmd, ok=(0,)):
    start = time.perf_counter()
    p = subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    wall = time.perf_counter() - start
    if p.returncode not in ok:
        raise SystemExit(f"{' '.join(cmd)} failed with {p.returncode}: {p.stderr[-500:]!r}")
    return wall


def main(argv):
    tool = os.path.join(root, 'build', 'cli', 'trava-gps')
    runs, gib = 3, 10
    args = argv[1:]
    while args:
        a = args.pop(0)
        if a == '--runs':
            runs = int(args.pop(0))
        elif a == '--mixed-gib':
            gib = int(args.pop(0))
        else:
            tool = a
    subprocess.run([sys.executable, os.path.join(here, 'make-batch-inputs.py'), '--mixed-gib', str(gib)], check=True)
    jobs = len(os.sched_getaffinity(0))
    print(f'trava-gps: {tool}, -j {jobs}; load average before: {os.getloadavg()[0]:.1f}')
    print('| folder | files | GB | run | trava-gps | files/s | GB/s | exiftool -r -ee | files/s | GB/s | ratio |')
    print('|---|---|---|---|---|---|---|---|---|---|---|')
    for name in ('batch-short', 'batch-mixed'):
        folder = os.path.join(out, name)
        paths = files_of(folder)
        gb = sum(os.path.getsize(p) for p in paths) / 1e9
        n = len(paths)
        with tempfile.TemporaryDirectory() as tmp:
            def gps(j=jobs):
                return timed([tool, '-r', '-j', str(j), '--format', 'csv', '-o', os.path.join(tmp, 'o'), folder])

            def exif():
                return timed(['exiftool', '-r', '-ee', folder], ok=(0, 1))

            def row(run, t, e):
                print(f'| {name} | {n} | {gb:.2f} | {run} | {t:.2f} s | {n / t:.0f} | {gb / t:.2f} | '
                      f'{e:.1f} s | {n / e:.1f} | {gb / e:.3f} | {e / t:.0f}x |', flush=True)

            evict(folder)
            cold_gps = gps()
            evict(folder)
            cold_exif = exif()
            row('cold', cold_gps, cold_exif)
            evict(folder)
            cat = timed(['sh', '-c', 'find "$1" -type f -print0 | sort -z | xargs -0 cat > /dev/null', 'sh', folder])
            print(f'| {name} | {n} | {gb:.2f} | cold `cat` (storage) | {cat:.2f} s | {n / cat:.0f} | '
                  f'{gb / cat:.2f} | | | | |', flush=True)
            warm = [gps() for _ in range(runs)]
            warm1 = [gps(1) for _ in range(runs)]
            ex = [exif() for _ in range(max(1, runs // 2))]
            row(f'warm best of {runs}', min(warm), min(ex))
            row(f'warm median', statistics.median(warm), statistics.median(ex))
            row('warm best, -j 1', min(warm1), min(ex))
    print(f'load average after: {os.getloadavg()[0]:.1f}')
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
