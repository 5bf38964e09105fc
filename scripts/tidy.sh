#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs clang-tidy with the checks of .clang-tidy over every source of the core, the CLI, the GUI,
# the samples, the fuzz targets and the benchmarks, and fails on any finding (the configuration
# makes every warning an error). The tests stay out: gtest's macros make each test body count as
# far more complex than it reads.
# Usage: scripts/tidy.sh [REGEX]   checks only the sources whose path matches REGEX
set -euo pipefail
cd "$(dirname "$0")/.."
build=${ZFX_TIDY_BUILD_DIR:-build/tidy}
jobs=${ZFX_TIDY_JOBS:-2}
if ! command -v clang-tidy >/dev/null; then
    echo "tidy: clang-tidy is not installed (scripts/install-deps.sh installs it)" >&2
    exit 2
fi

# clang-tidy takes each file's flags from the compile commands of a configured build; nothing
# needs to be built, as no source includes a generated header. The benchmarks are configured in
# so that their source is checked too.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
    -DZFX_BUILD_BENCH=ON >/dev/null

# The project's own sources, not what CMake generates under the build folder.
escape() { sed 's/[][\.*^$+?(){}|]/\\&/g'; }
sources="^$(printf '%s' "$PWD" | escape)/(src|samples|fuzz|bench)/.*\.cpp$"
files=$(grep -o '"file": "[^"]*"' "$build/compile_commands.json" | cut -d'"' -f4 | sort -u |
    grep -E "$sources" | grep -E -- "${1:-.}" || true)
if [ -z "$files" ]; then
    echo "tidy: no source matches ${1:-.}" >&2
    exit 2
fi

# The compile commands hold GCC's flags; clang does not know some of its warnings
# (-Wno-restrict) and must not count them as findings.
extra=-Wno-unknown-warning-option
if command -v run-clang-tidy >/dev/null; then
    # It takes regular expressions, not names: each file's path, escaped and anchored.
    mapfile -t patterns < <(printf '%s\n' "$files" | escape | sed 's/.*/^&$/')
    run-clang-tidy -quiet -p "$build" -j "$jobs" -extra-arg="$extra" "${patterns[@]}" >&2 || failed=1
else
    printf '%s\n' "$files" | xargs -P "$jobs" -n 1 clang-tidy --quiet -p "$build" --extra-arg="$extra" ||
        failed=1
fi
if [ "${failed:-0}" = 1 ]; then
    echo "tidy: findings above" >&2
    exit 1
fi
echo "tidy: $(printf '%s\n' "$files" | wc -l) files clean"
