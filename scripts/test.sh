#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test:
#   0. no number conversion through the process locale outside the C-locale section;
#   1. the whole project (library, player, tests) with warnings on, the tests run twice:
#      in the plain environment and under a German locale (decimal comma);
#   2. the Debian package built from the first build, checked with lintian and run unpacked;
#   3. the whole program again under ASan+UBSan, Qt layers and the end-to-end test with real
#      playback included (offscreen); leaks of libVLC and Qt themselves are suppressed by
#      tests/lsan.supp, ours never are;
#   4. a short libFuzzer smoke run of each fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
JOBS=${JOBS:-$(nproc)}
FUZZ_SECONDS=${FUZZ_SECONDS:-20}

"$ROOT/scripts/install-deps.sh"

echo "== locale-independent numbers"
python3 "$ROOT/scripts/check-locale-numbers.py" --self-test
python3 "$ROOT/scripts/check-locale-numbers.py" "$ROOT"

echo "== build (RelWithDebInfo)"
cmake -S "$ROOT" -B "$ROOT/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$ROOT/build" -j"$JOBS"
echo "== tests"
ctest --test-dir "$ROOT/build" --output-on-failure -j"$JOBS" | tee "$ROOT/build/ctest-summary.log"

echo "== tests under de_DE.UTF-8"
# What a German desktop sets, built from the locale sources (package locales) so that
# it does not matter whether the machine has it generated.
mkdir -p "$ROOT/build/locale"
localedef -i de_DE -f UTF-8 "$ROOT/build/locale/de_DE.UTF-8" >/dev/null 2>&1 ||
  test -e "$ROOT/build/locale/de_DE.UTF-8/LC_NUMERIC"
DE_ENV=(LOCPATH="$ROOT/build/locale" LC_ALL=de_DE.UTF-8 LANG=de_DE.UTF-8)
test "$(env "${DE_ENV[@]}" /usr/bin/printf '%.1f' 1,5 2>/dev/null)" = "1,5" ||
  { echo "de_DE.UTF-8 locale not usable"; exit 1; }
env "${DE_ENV[@]}" ctest --test-dir "$ROOT/build" --output-on-failure -j"$JOBS" | tee "$ROOT/build/ctest-summary-de.log"

echo "== Debian package"
"$ROOT/scripts/package-check.sh" "$ROOT/build"

echo "== sanitizer build of the whole program (ASan+UBSan)"
asan_start=$SECONDS
cmake -S "$ROOT" -B "$ROOT/build-asan" -DCMAKE_BUILD_TYPE=Debug -DTRAVA_GUI=ON -DTRAVA_SANITIZE=ON -DTRAVA_BENCH=OFF >/dev/null
cmake --build "$ROOT/build-asan" -j"$JOBS"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  LSAN_OPTIONS=suppressions="$ROOT/tests/lsan.supp":print_suppressions=0 QT_QPA_PLATFORM=offscreen \
  ctest --test-dir "$ROOT/build-asan" --output-on-failure -j"$JOBS" | tee "$ROOT/build-asan/ctest-summary.log"
echo "== sanitizer stage took $((SECONDS - asan_start)) s"

echo "== fuzz smoke (${FUZZ_SECONDS}s per target)"
cmake -S "$ROOT" -B "$ROOT/build-fuzz" -DCMAKE_BUILD_TYPE=Debug -DTRAVA_GUI=OFF -DTRAVA_FUZZ=ON \
  -DBUILD_TESTING=OFF -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$ROOT/build-fuzz" -j"$JOBS"
"$ROOT/fuzz/smoke.sh" "$ROOT/build-fuzz/fuzz" "$FUZZ_SECONDS"
total=$(cat "$ROOT/build/ctest-summary.log" "$ROOT/build/ctest-summary-de.log" "$ROOT/build-asan/ctest-summary.log" |
  sed -n 's/.*tests passed, \([0-9]*\) tests failed out of \([0-9]*\).*/\2 \1/p' |
  awk '{t += $1; f += $2} END {print t - f " passed, " f " failed"}')
echo "All test stages passed (locale check, package checked, fuzz smoke clean)."
echo "$total"
