#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the libFuzzer targets and runs each for a bounded time from the seed corpus and the inputs
# that once failed.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${ZFX_FUZZ_SECONDS:-60}
cmake --preset fuzz
cmake --build --preset fuzz
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
targets="editor find_pattern cli_output"
for target in $targets; do
    corpus="$work/$target"
    mkdir -p "$corpus"
    case $target in
    editor) seeds=editor regressions=fuzz/regressions/editor ;;
    find_pattern) seeds=pattern regressions= ;;
    cli_output) seeds=cli regressions=fuzz/regressions/cli ;;
    esac
    cp build/fuzz/fuzz-seeds/$seeds/* "$corpus"/
    if [ -n "$regressions" ]; then cp "$regressions"/* "$corpus"/; fi
    echo "== fuzz_$target for ${seconds}s"
    build/fuzz/fuzz/fuzz_$target -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$work/" "$corpus" 2>&1 |
        grep -E 'stat::number_of_executed_units|Done|ERROR|SUMMARY' || true
    # Any one kind of failing input fails the run (ls of all three kinds fails when one is missing).
    if compgen -G "$work/crash-*" >/dev/null || compgen -G "$work/leak-*" >/dev/null ||
        compgen -G "$work/timeout-*" >/dev/null || compgen -G "$work/oom-*" >/dev/null; then
        mkdir -p build/fuzz/artifacts
        cp "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-* build/fuzz/artifacts/ 2>/dev/null || true
        echo "fuzz_$target found a failing input; it is kept in build/fuzz/artifacts/" >&2
        exit 1
    fi
done
echo "fuzz: $(wc -w <<<"$targets") passed, 0 failed"
