#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the libFuzzer targets and runs each from the seed corpus and the inputs that once failed,
# for ZFX_FUZZ_SECONDS of processor time each (60 unless set). The targets run side by side: with
# fewer cores than targets each runs longer, so that none gets less of a core than if it ran alone.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${ZFX_FUZZ_SECONDS:-60}
cmake --preset fuzz
cmake --build --preset fuzz
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
targets=(editor find_pattern cli_output)
cores=$(nproc)
if [ "$cores" -ge "${#targets[@]}" ]; then wall=$seconds; else wall=$(((seconds * ${#targets[@]} + cores - 1) / cores)); fi

pids=()
for target in "${targets[@]}"; do
    corpus="$work/$target/corpus"
    mkdir -p "$corpus"
    case $target in
    editor) seeds=editor regressions=fuzz/regressions/editor ;;
    find_pattern) seeds=pattern regressions= ;;
    cli_output) seeds=cli regressions=fuzz/regressions/cli ;;
    esac
    cp build/fuzz/fuzz-seeds/$seeds/* "$corpus"/
    if [ -n "$regressions" ]; then cp "$regressions"/* "$corpus"/; fi
    build/fuzz/fuzz/fuzz_$target -max_total_time="$wall" -print_final_stats=1 -artifact_prefix="$work/$target/" \
        "$corpus" >"$work/$target/log" 2>&1 &
    pids+=($!)
done
echo "fuzz: ${#targets[@]} targets side by side on $cores cores, ${wall}s each"
statuses=()
for pid in "${pids[@]}"; do
    status=0
    wait "$pid" || status=$?
    statuses+=("$status")
done

failed=0
for i in "${!targets[@]}"; do
    target=${targets[$i]}
    echo "== fuzz_$target"
    grep -E 'stat::number_of_executed_units|Done|ERROR|SUMMARY' "$work/$target/log" || true
    # Any one kind of failing input fails the run.
    if compgen -G "$work/$target/crash-*" >/dev/null || compgen -G "$work/$target/leak-*" >/dev/null ||
        compgen -G "$work/$target/timeout-*" >/dev/null || compgen -G "$work/$target/oom-*" >/dev/null; then
        mkdir -p build/fuzz/artifacts/$target
        cp "$work/$target"/crash-* "$work/$target"/leak-* "$work/$target"/timeout-* "$work/$target"/oom-* \
            build/fuzz/artifacts/$target/ 2>/dev/null || true
        echo "fuzz_$target found a failing input; it is kept in build/fuzz/artifacts/$target/" >&2
        failed=$((failed + 1))
    elif [ "${statuses[$i]}" != 0 ]; then
        tail -5 "$work/$target/log" >&2
        echo "fuzz_$target stopped with status ${statuses[$i]}" >&2
        failed=$((failed + 1))
    fi
done
if [ "$failed" != 0 ]; then exit 1; fi
echo "fuzz: ${#targets[@]} passed, 0 failed"
