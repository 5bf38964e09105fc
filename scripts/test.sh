#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what a fresh Debian 12 machine lacks, builds, and runs every test: the normal build
# and the AddressSanitizer + UndefinedBehaviorSanitizer build, clang-tidy, the fuzz smoke runs, the
# editor's page in a browser and the check of the Debian package. At its end (or where it fails)
# it prints how many seconds each stage took.
# Usage: scripts/test.sh            everything, as CI runs it
#        scripts/test.sh --quick    the dev build, its tests and the doc examples: the loop while working
set -euo pipefail
cd "$(dirname "$0")/.."

stages=()
stage() {
    local name=$1 start=$SECONDS
    shift
    echo "== $name"
    "$@"
    stages+=("$name	$((SECONDS - start))")
}
report() {
    local status=$? row total=0
    echo
    printf '%-24s %8s\n' stage seconds
    for row in "${stages[@]}"; do
        printf '%-24s %8s\n' "${row%%	*}" "${row##*	}"
        total=$((total + ${row##*	}))
    done
    printf '%-24s %8s\n' total "$total"
    if [ "$status" != 0 ]; then echo "test: failed after the stages above" >&2; fi
}
trap report EXIT

quick=0
case ${1:-} in
--quick) quick=1 ;;
"") ;;
*) echo "usage: scripts/test.sh [--quick]" >&2; exit 2 ;;
esac
if [ "$quick" = 0 ] && [ "${ZFX_SKIP_INSTALL:-0}" != 1 ]; then stage install scripts/install-deps.sh; fi
export QT_QPA_PLATFORM=offscreen
# The tests keep to folders of their own, so they run side by side, one per core.
jobs=$(nproc)
presets=(dev asan)
if [ "$quick" = 1 ]; then presets=(dev); fi
for preset in "${presets[@]}"; do
    stage "$preset configure" cmake --preset "$preset"
    stage "$preset build" cmake --build --preset "$preset"
    stage "$preset ctest" ctest --preset "$preset" -j "$jobs"
done
# How many examples of the README, the guides and the manual pages ran as written (ctest ran them).
examples() {
    python3 tests/docs/run_examples.py build/dev/src/cli/zorvane-fx-cli build/dev/samples README.md docs/*.md \
        docs/man/*.1 | tail -1
}
stage "doc examples" examples
if [ "$quick" = 1 ]; then exit 0; fi
# The fuzz build configures no Qt at all (no editor, no tests), and builds the CLI beside the fuzz
# targets: it is also the check that the core and the CLI build without Qt.
fuzz_build() {
    cmake --preset fuzz
    cmake --build --preset fuzz
}
stage "fuzz build" fuzz_build
headless() {
    if grep -q '^Qt6_DIR:' build/fuzz/CMakeCache.txt; then
        echo "headless: the build without the editor looked for Qt" >&2
        return 1
    fi
    build/fuzz/src/cli/zorvane-fx-cli info build/fuzz/samples/fx5950-ultra.rom >/dev/null
    echo "headless: the core and the CLI built and ran without Qt"
}
stage headless headless
# clang-tidy with the project's configuration finds nothing.
stage tidy scripts/tidy.sh
stage "fuzz smoke" scripts/fuzz-smoke.sh
# The editor's page, built with Emscripten, against the CLI in headless Chromium.
web_build() {
    cmake --preset web >/dev/null
    cmake --build --preset web
}
stage "web build" web_build
stage "web tests" tests/web/run.sh build/dev/src/cli/zorvane-fx-cli build/dev/samples
# The Debian package builds, installs, runs and uninstalls.
stage "package check" scripts/package-check.sh
