#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# zorvane-fx-cli info --json over 1,000 copies of the 64 KiB samples against bench/zfx_read_whole
# reading the same files (open, size, one read of the whole file, close), in the same run. The two
# take turns, 7 rounds (ZFX_ROUNDS=n for more); the medians and their ratio are printed.
set -euo pipefail
build=${1:-build/release}
rounds=${ZFX_ROUNDS:-7}
cli="$build/src/cli/zorvane-fx-cli"
reader="$build/bench/zfx_read_whole"
for program in "$cli" "$reader"; do
    [[ -x $program ]] || { echo "$program is missing: build the release preset (ZFX_BUILD_BENCH=ON)" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
samples=("$build"/samples/*.rom)
for i in $(seq 0 999); do cp "${samples[$((i % ${#samples[@]}))]}" "$work/img-$i.rom"; done
files=("$work"/*.rom)
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
# Microseconds from the shell's own clock, read without starting a process or a subshell, so the
# measured time is the program's alone.
time_us() {
    local s e
    s=${EPOCHREALTIME/[.,]/}
    "$@" > /dev/null
    e=${EPOCHREALTIME/[.,]/}
    echo $((e - s))
}
"$reader" "${files[@]}" > /dev/null # warm the cache
"$cli" info --json "${files[@]}" > /dev/null
reader_runs=(); cli_runs=()
for ((r = 0; r < rounds; ++r)); do
    reader_runs+=("$(time_us "$reader" "${files[@]}")")
    cli_runs+=("$(time_us "$cli" info --json "${files[@]}")")
done
reader_us=$(printf '%s\n' "${reader_runs[@]}" | median)
cli_us=$(printf '%s\n' "${cli_runs[@]}" | median)
echo "zfx_read_whole: ${reader_us} us; zorvane-fx-cli info --json: ${cli_us} us (${#files[@]} files, median of $rounds)"
echo "runs, reader: ${reader_runs[*]}"
echo "runs, cli:    ${cli_runs[*]}"
# Each round's own ratio too: the two programs of a round ran side by side, under the same load.
round_ratio=$(for ((r = 0; r < rounds; ++r)); do
    awk -v a="${cli_runs[r]}" -v b="${reader_runs[r]}" 'BEGIN { printf "%.4f\n", a / b }'
done | median)
awk -v a="$cli_us" -v b="$reader_us" -v n="${#files[@]}" -v rr="$round_ratio" 'BEGIN {
    printf "per file: reader %.1f us, cli %.1f us, the cli beyond the read %.1f us\n", b / n, a / n, (a - b) / n
    printf "cli / reader: %.2f (median of the rounds\x27 own ratios: %.2f)\n", a / b, rr }'
