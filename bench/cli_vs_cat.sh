#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# zorvane-fx-cli info --json over 1,000 images against cat reading the same files (median of 7).
set -euo pipefail
build=${1:-build/release}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
samples=("$build"/samples/*.rom)
for i in $(seq 0 999); do cp "${samples[$((i % ${#samples[@]}))]}" "$work/img-$i.rom"; done
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
time_ns() { local s e; s=$(date +%s%N); "$@" > /dev/null; e=$(date +%s%N); echo $((e - s)); }
cat "$work"/*.rom > /dev/null # warm the cache
cat_ns=$(for r in 1 2 3 4 5 6 7; do time_ns cat "$work"/*.rom; done | median)
cli_ns=$(for r in 1 2 3 4 5 6 7; do time_ns "$build/src/cli/zorvane-fx-cli" info --json "$work"/*.rom; done | median)
echo "cat: $((cat_ns / 1000)) us; zorvane-fx-cli info --json: $((cli_ns / 1000)) us"
awk -v a="$cli_ns" -v b="$cat_ns" 'BEGIN { printf "cli / cat: %.2f (goal: at most 3)\n", a / b }'
