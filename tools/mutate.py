#!/usr/bin/env python3
"""Mutation check: does the test suite notice realistic one-line faults?

Each line of the list names one fault:

    track/trip.cpp:73: gap <= kTripGapSeconds → gap < kTripGapSeconds

(path relative to the repository, 1-based line, the text on that line, the text that
replaces it; '#' starts a comment). One mutant at a time is written into the source,
the test binaries that link the mutated module are rebuilt, and their tests run. A test
failing (or hanging past --timeout) kills the mutant, a build failure counts as killed by
the compiler; a mutant whose original text is not on its line any more is reported stale.
The source is restored whatever happens, and checked against its first content at the end.

    python3 tools/mutate.py --build build tests/mutants.txt
    python3 tools/mutate.py --build build --only trip tests/mutants.txt
    python3 tools/mutate.py --build build --all tests/mutants.txt   # the whole suite each time

Tests are picked by label: every test carries its binary's target name as a label
(tests/CMakeLists.txt), and TEST_BINARIES below says which binaries cover which sources.
"""
import argparse
import fnmatch
import os
import re
import signal
import subprocess
import sys
import time
from dataclasses import dataclass, field
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent

# Source prefix -> the test binaries (label patterns) that link it and check its results.
# The longest matching prefix wins. Binaries that merely link a module without looking at
# what it computes are left out: they would only slow each mutant down.
TEST_BINARIES = {
    "telemetry/": ["telemetry_test_*", "trava-gps-capi-check", "test_cli", "test_harshevents",
                   "test_tripstatistics"],
    "telemetry/kalgpssun": ["telemetry_test_sun"],
    "telemetry/kalgpsstate": ["telemetry_test_api", "telemetry_test_scan_stream", "telemetry_test_scan_mp4"],
    "telemetry/kalgpsoutput": ["telemetry_test_output", "telemetry_test_output_exact", "telemetry_test_api"],
    "telemetry/kalgpspretreat": ["telemetry_test_pretreat", "telemetry_test_api"],
    "telemetry/kalgpsmovietime": ["test_cardreader", "test_trackmodel"],
    "track/": ["test_tripstatistics", "test_trackmodel", "test_harshevents", "test_trackexport", "test_cli"],
    "track/card": ["test_cardreader", "test_cli"],
    "cli/": ["test_cli", "test_trackexport"],
    "playback/pictureclock": ["test_playback_parts"],
    "playback/": ["test_playback_parts", "test_playback_player"],
    "library/folderscanner": ["test_medialistview"],
    "library/": ["test_medialistview", "test_medialiststore", "test_playbacksync"],
    "net/": ["test_xmlreader", "test_updatechecker"],
    "core/xmllimits": ["test_xmlreader", "test_medialiststore", "test_updatechecker"],
    "clip/": ["test_clip"],
}

ARROW = " → "


@dataclass
class Mutant:
    path: str
    line: int
    original: str
    replacement: str
    source_line: int  # where it stands in the list
    status: str = ""
    seconds: float = 0.0
    detail: str = ""

    @property
    def where(self):
        return f"{self.path}:{self.line}"

    def describe(self):
        return f"{self.where}: {self.original}{ARROW}{self.replacement}"


@dataclass
class Outcome:
    mutants: list = field(default_factory=list)


def parse_list(text):
    mutants, errors = [], []
    pattern = re.compile(r"^([^:\s]+):(\d+):\s(.*)$")
    for n, raw in enumerate(text.splitlines(), 1):
        line = raw.strip()
        if not line or line.startswith("#"):
            continue
        if line.endswith(ARROW.rstrip()):
            line += " "  # an empty replacement: the text is dropped
        m = pattern.match(line)
        if not m or ARROW not in m.group(3):
            errors.append(f"list line {n}: not 'file:line: original{ARROW}replacement': {raw}")
            continue
        original, replacement = m.group(3).split(ARROW, 1)
        if not original:
            errors.append(f"list line {n}: empty original")
            continue
        mutants.append(Mutant(m.group(1), int(m.group(2)), original, replacement, n))
    return mutants, errors


def binaries_for(path):
    best = None
    for prefix in TEST_BINARIES:
        if path.startswith(prefix) and (best is None or len(prefix) > len(best)):
            best = prefix
    return TEST_BINARIES[best] if best else None


def build_targets(build):
    """Every target name the build knows (test binaries included, built or not)."""
    out = subprocess.run(["cmake", "--build", str(build), "--target", "help"], capture_output=True, text=True)
    names = [line.split(":")[0].strip() for line in out.stdout.splitlines() if line.endswith(": phony")]
    return [n for n in names if "/" not in n and not re.search(r"_autogen(_timestamp_deps)?$", n)]


def selection_for(path, targets):
    """The test binaries (which are also the labels of their tests) covering path."""
    patterns = binaries_for(path)
    if patterns is None:
        return None
    picked = sorted({t for t in targets for p in patterns if fnmatch.fnmatchcase(t, p)})
    return tuple(picked)


def nice(cmd):
    return ["nice", "-n", "10"] + cmd


def run(cmd, timeout):
    """(returncode, or None on timeout; the output's tail). The command runs in a process group
    of its own, killed whole on a timeout or an interruption (test binaries included)."""
    p = subprocess.Popen(nice(cmd), cwd=ROOT, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                         errors="replace", start_new_session=True)
    try:
        out, _ = p.communicate(timeout=timeout)
        return p.returncode, out[-4000:]
    except BaseException as e:
        try:
            os.killpg(p.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        out, _ = p.communicate()
        if isinstance(e, subprocess.TimeoutExpired):
            return None, (out or "")[-4000:]
        raise


def build(args, targets):
    cmd = ["cmake", "--build", str(args.build), "-j", str(args.jobs)]
    if targets:
        cmd += ["--target", *targets]
    return run(cmd, args.build_timeout)


def test(args, selection):
    cmd = ["ctest", "--test-dir", str(args.build), "--timeout", str(args.timeout), "-j", str(args.jobs),
           "--stop-on-failure", "--output-on-failure"]
    if selection:
        cmd += ["-L", "^(" + "|".join(re.escape(s) for s in selection) + ")$"]
    # ctest's own --timeout covers each test; this bounds the whole run.
    return run(cmd, args.timeout * 4 + 60)


def git_status(paths):
    p = subprocess.run(["git", "status", "--porcelain", "--", *paths], cwd=ROOT, capture_output=True, text=True)
    return p.stdout


class Restorer:
    """Puts a mutated file back on any exit path, signals included."""

    def __init__(self):
        self.path = None
        self.content = None

    def hold(self, path, content):
        self.path, self.content = path, content

    def restore(self):
        if self.path is not None:
            self.path.write_bytes(self.content)
            self.path = None


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("list", nargs="?", default=str(ROOT / "tests" / "mutants.txt"), help="the mutant list")
    ap.add_argument("--build", default=str(ROOT / "build"), help="configured build folder (default: build)")
    ap.add_argument("--only", help="only mutants whose 'file:line: original → replacement' contains this (regex)")
    ap.add_argument("--timeout", type=int, default=120, help="seconds for one test (a hang kills the mutant)")
    ap.add_argument("--build-timeout", type=int, default=900, help="seconds for one rebuild")
    ap.add_argument("--all", action="store_true", help="build everything and run the whole suite for each mutant")
    ap.add_argument("--jobs", type=int, default=2)
    ap.add_argument("--dry-run", action="store_true", help="only check that every mutant still fits its line")
    ap.add_argument("--no-baseline", action="store_true", help="skip the check that the picked tests pass unmutated")
    args = ap.parse_args()
    args.build = Path(args.build).resolve()

    mutants, errors = parse_list(Path(args.list).read_text(encoding="utf-8"))
    for e in errors:
        print(e, file=sys.stderr)
    if errors:
        return 2
    if args.only:
        only = re.compile(args.only)
        mutants = [m for m in mutants if only.search(m.describe())]
    if not mutants:
        print("no mutants to run", file=sys.stderr)
        return 2
    if not (args.build / "CMakeCache.txt").exists():
        print(f"{args.build} is not a configured build folder", file=sys.stderr)
        return 2

    touched = sorted({m.path for m in mutants})
    before_status = git_status(touched)
    pristine = {}
    for p in touched:
        f = ROOT / p
        if f.is_file():
            pristine[p] = f.read_bytes()

    restorer = Restorer()

    def on_signal(signum, _frame):
        restorer.restore()
        raise KeyboardInterrupt(f"signal {signum}")

    signal.signal(signal.SIGTERM, on_signal)
    signal.signal(signal.SIGHUP, on_signal)

    labels = [] if args.all or args.dry_run else build_targets(args.build)
    if not args.all and not args.dry_run and not labels:
        print(f"cannot list the targets of {args.build}", file=sys.stderr)
        return 2

    baseline = {}  # selection -> None when green, else why not
    start = time.monotonic()
    interrupted = False
    try:
        for i, m in enumerate(mutants, 1):
            f = ROOT / m.path
            if m.path not in pristine:
                m.status, m.detail = "stale", "no such file"
                continue
            lines = pristine[m.path].decode("utf-8").split("\n")
            if not (1 <= m.line <= len(lines)) or m.original not in lines[m.line - 1]:
                m.status, m.detail = "stale", "original text not on that line"
                continue
            if args.dry_run:
                m.status = "fits"
                continue
            selection = () if args.all else selection_for(m.path, labels)
            if selection is None or (not args.all and not selection):
                m.status, m.detail = "untested", "no test binaries listed for this file in TEST_BINARIES"
                continue
            targets = list(selection)
            if selection not in baseline and not args.no_baseline:
                code, out = build(args, targets)
                if code != 0:
                    baseline[selection] = "unmutated build fails"
                else:
                    code, out = test(args, selection)
                    baseline[selection] = None if code == 0 else "unmutated tests fail"
                if baseline[selection]:
                    print(f"baseline for {', '.join(selection) or 'all'}: {baseline[selection]}\n{out}",
                          file=sys.stderr)
            if baseline.get(selection):
                m.status, m.detail = "baseline", baseline[selection]
                continue

            t0 = time.monotonic()
            lines[m.line - 1] = lines[m.line - 1].replace(m.original, m.replacement, 1)
            restorer.hold(f, pristine[m.path])
            try:
                f.write_bytes("\n".join(lines).encode("utf-8"))
                code, out = build(args, targets)
                if code != 0:
                    m.status = "compiler" if code is not None else "build-timeout"
                else:
                    code, out = test(args, selection)
                    m.status = "killed" if code not in (0, None) else ("timeout" if code is None else "survived")
                    if m.status == "killed":
                        tail = out[out.rfind("The following tests FAILED:"):] if "tests FAILED" in out else ""
                        failed = re.findall(r"^\s*\d+ - (\S+)", tail, re.M)
                        m.detail = ", ".join(failed[:3])
            finally:
                restorer.restore()
            m.seconds = time.monotonic() - t0
            print(f"[{i}/{len(mutants)}] {m.status:9} {m.seconds:6.1f}s  {m.describe()}"
                  + (f"  ({m.detail})" if m.detail else ""), flush=True)
    except KeyboardInterrupt as e:
        interrupted = True
        print(f"interrupted ({e}); restoring", file=sys.stderr)
    finally:
        restorer.restore()

    # The sources must be exactly as they were.
    dirty = [p for p, content in pristine.items() if (ROOT / p).read_bytes() != content]
    if dirty or git_status(touched) != before_status:
        print("SOURCE NOT RESTORED: " + ", ".join(dirty or touched), file=sys.stderr)
        return 3

    total = time.monotonic() - start
    ran = [m for m in mutants if m.status in ("killed", "compiler", "timeout", "survived", "build-timeout")]
    print()
    print(f"{'status':9} {'secs':>6}  mutant")
    for m in mutants:
        if m.status:
            print(f"{m.status:9} {m.seconds:6.1f}  {m.describe()}" + (f"  ({m.detail})" if m.detail else ""))
    killed = [m for m in ran if m.status != "survived"]
    survived = [m for m in ran if m.status == "survived"]
    by_compiler = sum(m.status in ("compiler", "build-timeout") for m in ran)
    by_timeout = sum(m.status == "timeout" for m in ran)
    other = [m for m in mutants if m.status in ("stale", "untested", "baseline")]
    print()
    per = sum(m.seconds for m in ran) / len(ran) if ran else 0
    print(f"time: {total:.0f} s in all, {per:.1f} s a mutant; killed by the compiler: {by_compiler}, "
          f"by a hang: {by_timeout}; not run: {len(other)} (stale {sum(m.status == 'stale' for m in other)})")
    for m in other:
        print(f"not run ({m.status}): {m.describe()}: {m.detail}")
    for m in survived:
        print(f"survived: {m.describe()}")
    if interrupted:
        print(f"interrupted after {len(ran)} of {len(mutants)}")
    print(f"mutants: {len(ran)} killed: {len(killed)} survived: {len(survived)}")
    return 1 if survived or interrupted else 0


if __name__ == "__main__":
    sys.exit(main())
