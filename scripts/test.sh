#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what a fresh Debian 12 machine lacks, builds, and runs every test: the normal build
# and the AddressSanitizer + UndefinedBehaviorSanitizer build, clang-tidy, the fuzz smoke runs, the
# editor's page in a browser and the check of the Debian package. At its end (or where it fails)
# it prints how many seconds each stage took.
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

if [ "${ZFX_SKIP_INSTALL:-0}" != 1 ]; then stage install scripts/install-deps.sh; fi
export QT_QPA_PLATFORM=offscreen
for preset in dev asan; do
    stage "$preset configure" cmake --preset "$preset"
    stage "$preset build" cmake --build --preset "$preset"
    stage "$preset ctest" ctest --preset "$preset"
done
# How many examples of the README, the guides and the manual pages ran as written (ctest ran them).
examples() {
    python3 tests/docs/run_examples.py build/dev/src/cli/zorvane-fx-cli build/dev/samples README.md docs/*.md \
        docs/man/*.1 | tail -1
}
stage "doc examples" examples
# The core and the CLI build without Qt.
headless() {
    cmake --preset headless
    cmake --build --preset headless --target zorvane-fx-cli
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
