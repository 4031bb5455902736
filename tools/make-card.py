#!/usr/bin/env python3
"""Writes a dash camera's card as common cameras lay it out: front and rear channels of each
moment, normal and event recordings, real small MP4s with telemetry in the front file (the
rear files have none). For tests and benchmarks; never a maker's real files.

  make-card.py OUT [--layout NAME] [--groups N] [--seconds S] [--event-every K]

Layouts (one per naming scheme the player reads):
  dated      Movie/2026_0514_091500_0001F.MP4 ... RO/..._0010EF.MP4 (events locked)
  letters    DCIM/20260514_091500_NF.mp4, _NR; events _EF/_ER
  prefixed   cont_rec/REC_2026_05_14_09_15_00_F.MP4; events evt_rec/EVT_...
  frontback  Normal/Front/NO20260514-091500-000001F.mp4, Normal/Back/...B.mp4; Event/...
  cameras    RecentClips/2026-05-14_09-15-00-front.mp4, -back.mp4; SavedClips/<stamp>/...
  suffix     20260514_091500_0001_F.MP4, _R
  plain      Front/CLIP0001.MP4, Rear/CLIP0001.MP4 (the time only in the movie header)

The rear file of every second moment starts a second after the front, as real cameras do.
Needs ffmpeg once (one template video per run) and python3."""
import argparse
import os
import shutil
import struct
import subprocess
import sys
import tempfile
from datetime import datetime, timedelta

here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, here)
import telemetry_gen as g  # noqa: E402

START = datetime(2026, 5, 14, 9, 15, 0)
EPOCH_1904 = datetime(1904, 1, 1)


def template(seconds, tmp):
    path = os.path.join(tmp, f'template-{seconds}.mp4')
    if not os.path.exists(path):
        subprocess.run(['ffmpeg', '-v', 'error', '-y', '-f', 'lavfi', '-i',
                        f'testsrc2=size=160x90:rate=5:duration={seconds}', '-c:v', 'libx264',
                        '-preset', 'ultrafast', '-crf', '40', '-pix_fmt', 'yuv420p', '-g', '10',
                        '-movflags', '+faststart', path], check=True)
    return open(path, 'rb').read()


def with_creation_time(data, when):
    """The file with its movie header's creation and modification times set to when."""
    data = bytearray(data)
    at = 0
    while at + 8 <= len(data):
        size, kind = struct.unpack('>I4s', data[at:at + 8])
        if kind == b'moov':
            inner = at + 8
            while inner + 8 <= at + size:
                isize, ikind = struct.unpack('>I4s', data[inner:inner + 8])
                if ikind == b'mvhd':
                    secs = int((when - EPOCH_1904).total_seconds())
                    if data[inner + 8] == 1:
                        struct.pack_into('>QQ', data, inner + 12, secs, secs)
                    else:
                        struct.pack_into('>II', data, inner + 12, secs, secs)
                    return bytes(data)
                inner += max(isize, 8)
        at += max(size, 8)
    return bytes(data)


def names(layout, k, when, event, rear_when):
    """(front path, rear path) of moment k."""
    n = k + 1
    if layout == 'dated':
        d, stem = ('RO', f'_{n:04d}E') if event else ('Movie', f'_{n:04d}')
        return (f"{d}/{when:%Y_%m%d_%H%M%S}{stem}F.MP4", f"{d}/{rear_when:%Y_%m%d_%H%M%S}{stem}R.MP4")
    if layout == 'letters':
        kind = 'E' if event else 'N'
        return (f"DCIM/{when:%Y%m%d_%H%M%S}_{kind}F.mp4", f"DCIM/{rear_when:%Y%m%d_%H%M%S}_{kind}R.mp4")
    if layout == 'prefixed':
        d, p = ('evt_rec', 'EVT') if event else ('cont_rec', 'REC')
        return (f"{d}/{p}_{when:%Y_%m_%d_%H_%M_%S}_F.MP4", f"{d}/{p}_{rear_when:%Y_%m_%d_%H_%M_%S}_R.MP4")
    if layout == 'frontback':
        d, p = ('Event', 'EV') if event else ('Normal', 'NO')
        return (f"{d}/Front/{p}{when:%Y%m%d-%H%M%S}-{n:06d}F.mp4", f"{d}/Back/{p}{rear_when:%Y%m%d-%H%M%S}-{n:06d}B.mp4")
    if layout == 'cameras':
        d = f"SavedClips/{when:%Y-%m-%d_%H-%M-%S}" if event else 'RecentClips'
        return (f"{d}/{when:%Y-%m-%d_%H-%M-%S}-front.mp4", f"{d}/{rear_when:%Y-%m-%d_%H-%M-%S}-back.mp4")
    if layout == 'suffix':
        return (f"{when:%Y%m%d_%H%M%S}_{n:04d}_F.MP4", f"{rear_when:%Y%m%d_%H%M%S}_{n:04d}_R.MP4")
    if layout == 'plain':
        return (f"Front/CLIP{n:04d}.MP4", f"Rear/CLIP{n:04d}.MP4")
    raise SystemExit(f'unknown layout {layout}')


LAYOUTS = ['dated', 'letters', 'prefixed', 'frontback', 'cameras', 'suffix', 'plain']


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument('out')
    ap.add_argument('--layout', default='dated', choices=LAYOUTS)
    ap.add_argument('--groups', type=int, default=4)
    ap.add_argument('--seconds', type=int, default=4)
    ap.add_argument('--event-every', type=int, default=3, help='every K-th moment is an event (0: none)')
    a = ap.parse_args()
    with tempfile.TemporaryDirectory() as tmp:
        video = template(a.seconds, tmp)
        for k in range(a.groups):
            when = START + timedelta(seconds=k * a.seconds)
            rear_when = when + timedelta(seconds=k % 2)
            event = a.event_every > 0 and k % a.event_every == a.event_every - 1
            front, rear = names(a.layout, k, when, event, rear_when)
            # Events carry a hard brake, a swerve and a jolt; other moments a calm drive.
            samples = (g.incident(a.seconds, when) if event
                       else g.route('munich', a.seconds, when))
            for i, s in enumerate(samples):
                s.index = i
            for path, data, telemetry in ((front, with_creation_time(video, when), True),
                                          (rear, with_creation_time(video, rear_when), False)):
                full = os.path.join(a.out, path)
                os.makedirs(os.path.dirname(full) or '.', exist_ok=True)
                with open(full, 'wb') as f:
                    f.write(data)
                    if telemetry:
                        f.write(g.atom(b'skip', g.block_group(samples)))
    print(f'{a.out}: {a.groups} moments ({a.layout}), {2 * a.groups} files')
    return 0


if __name__ == '__main__':
    sys.exit(main())
