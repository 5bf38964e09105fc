#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# zorvane-fx-cli verify over 1,000 sample images against info --json over the same files, in the
# same run (median of 7 each).
set -euo pipefail
build=${1:-build/release}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
samples=("$build"/samples/*.rom)
for i in $(seq 0 999); do cp "${samples[$((i % ${#samples[@]}))]}" "$work/img-$i.rom"; done
cli="$build/src/cli/zorvane-fx-cli"
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
time_ns() { local s e; s=$(date +%s%N); "$@" > /dev/null; e=$(date +%s%N); echo $((e - s)); }
"$cli" verify "$work"/*.rom > /dev/null # warm the cache; every sample passes
info_ns=$(for r in 1 2 3 4 5 6 7; do time_ns "$cli" info --json "$work"/*.rom; done | median)
verify_ns=$(for r in 1 2 3 4 5 6 7; do time_ns "$cli" verify "$work"/*.rom; done | median)
json_ns=$(for r in 1 2 3 4 5 6 7; do time_ns "$cli" verify --json "$work"/*.rom; done | median)
echo "info --json: $((info_ns / 1000)) us; verify: $((verify_ns / 1000)) us; verify --json: $((json_ns / 1000)) us"
awk -v a="$verify_ns" -v b="$info_ns" 'BEGIN { printf "verify / info --json: %.2f (goal: at most 2)\n", a / b }'
awk -v a="$json_ns" -v b="$info_ns" 'BEGIN { printf "verify --json / info --json: %.2f (goal: at most 2)\n", a / b }'
