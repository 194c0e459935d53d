#!/usr/bin/env bash
# Fuzzes the picture decoder and the picture import (build/fuzz/tindrel_png_fuzz, built by
# `bash scripts/build.sh fuzz`), starting from the pictures the native unit tests make (they save
# them when TINDREL_PNG_SEEDS names a folder) and the pictures shipped in data/. Ends with the
# line "fuzz: N passed, N failed": 1 passed when the run ended without a crash, leak, timeout or
# oversized allocation, 1 failed otherwise; the findings are kept and their paths printed.
#   bash scripts/fuzz.sh 60                 # about 60 seconds
#   bash scripts/fuzz.sh --runs 10000000    # that many executions
# TINDREL_FUZZ_WORK names the folder for seeds, corpus and findings (default: a new temporary one).
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

case "${1:-60}" in
  --runs) limit=(-runs="${2:?usage: $0 [seconds | --runs N]}") ;;
  *[!0-9]*) echo "usage: $0 [seconds | --runs N]" >&2; exit 2 ;;
  *) limit=(-max_total_time="${1:-60}") ;;
esac

fuzzer="$here/build/fuzz/tindrel_png_fuzz"
unit_tests="$here/build/native-asan/tindrel_unit_tests"
for program in "$fuzzer" "$unit_tests"; do
  [ -x "$program" ] || { echo "missing $program: run bash scripts/build.sh all"; echo "fuzz: 0 passed, 1 failed"; exit 1; }
done

work="${TINDREL_FUZZ_WORK:-$(mktemp -d /tmp/tindrel-fuzz.XXXXXX)}"
rm -rf "$work/findings"
mkdir -p "$work/seeds" "$work/corpus" "$work/findings"

TINDREL_PNG_SEEDS="$work/seeds" "$unit_tests" \
  --gtest_filter='PngDecoder*:SkinLoading*' >"$work/seed-tests.log" 2>&1 ||
  echo "note: some of the tests that make the seeds failed (see $work/seed-tests.log)"
cp "$here"/data/star.png "$here"/data/skins/*.png "$work/seeds/"
echo "seeds: $(ls "$work/seeds" | wc -l) pictures"

# Every seed is decoded whole first. The mutated inputs are then kept to 8 KiB: that is room for
# every chunk and header field and hundreds of rows, while longer inputs mostly repeat image data
# and cut the rate of executions by an order of magnitude. A skin is a few hundred pixels across:
# no single allocation for one input may pass 64 MB.
options=(-malloc_limit_mb=64 -rss_limit_mb=2048 -timeout=20 -artifact_prefix="$work/findings/")
"$fuzzer" "${options[@]}" "$work"/seeds/* >"$work/seeds.log" 2>&1
status=$?
if [ "$status" -eq 0 ]; then
  "$fuzzer" "$work/corpus" "$work/seeds" "${limit[@]}" -max_len=8192 -print_final_stats=1 \
    "${options[@]}" >"$work/fuzz.log" 2>&1
  status=$?
else
  cp "$work/seeds.log" "$work/fuzz.log"
fi

grep -E '^(Done|stat::|largest allocation)|^INFO: Seed|ERROR|SUMMARY' "$work/fuzz.log" | tail -n 20
findings=$(find "$work/findings" -type f | wc -l)
if [ "$status" -eq 0 ] && [ "$findings" -eq 0 ]; then
  echo "fuzz: 1 passed, 0 failed"
else
  echo "findings in $work/findings (log $work/fuzz.log):"
  find "$work/findings" -type f
  echo "fuzz: 0 passed, 1 failed"
  exit 1
fi
