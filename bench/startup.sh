#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The editor's start with a sample loaded, to the window shown (offscreen), against the same
# program printing its version (median of 7): wall time and peak resident memory.
set -euo pipefail
build=${1:-build/release}
export QT_QPA_PLATFORM=offscreen
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
measure() { # prints "seconds kilobytes"
    /usr/bin/time -f "%e %M" -o /tmp/zfx-time "$@" > /dev/null 2>&1
    cat /tmp/zfx-time
}
sample="$build/samples/fx5950-ultra.rom"
base=(); start=(); rss=()
for r in 1 2 3 4 5 6 7; do
    base+=("$(measure "$build/src/app/zorvane-fx" --version | cut -d' ' -f1)")
    read -r s k < <(ZFX_EXIT_WHEN_SHOWN=1 measure "$build/src/app/zorvane-fx" "$sample")
    start+=("$s"); rss+=("$k")
done
b=$(printf '%s\n' "${base[@]}" | median); s=$(printf '%s\n' "${start[@]}" | median); k=$(printf '%s\n' "${rss[@]}" | median)
echo "version only: ${b}s; start with a sample, window shown: ${s}s (goal: at most 0.4 s); peak RSS: $((k / 1024)) MiB (goal: at most 60 MiB)"
awk -v a="$s" -v b="$b" 'BEGIN { if (b > 0) printf "start / version only: %.2f\n", a / b }'
