#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what a fresh Debian 12 machine lacks, builds, and runs every test: the normal build
# and the AddressSanitizer + UndefinedBehaviorSanitizer build, clang-tidy, the fuzz smoke runs, the
# editor's page in a browser and the check of the Debian package.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${ZFX_SKIP_INSTALL:-0}" != 1 ]; then scripts/install-deps.sh; fi
export QT_QPA_PLATFORM=offscreen
for preset in dev asan; do
    echo "== $preset"
    cmake --preset "$preset"
    cmake --build --preset "$preset"
    ctest --preset "$preset"
done
# How many examples of the README, the guides and the manual pages ran as written (ctest ran them).
python3 tests/docs/run_examples.py build/dev/src/cli/zorvane-fx-cli build/dev/samples README.md docs/*.md docs/man/*.1 |
    tail -1
# The core and the CLI build without Qt.
echo "== headless"
cmake --preset headless
cmake --build --preset headless --target zorvane-fx-cli
# clang-tidy with the project's configuration finds nothing.
echo "== tidy"
scripts/tidy.sh
scripts/fuzz-smoke.sh
# The editor's page, built with Emscripten, against the CLI in headless Chromium.
echo "== web"
tests/web/run.sh build/dev/src/cli/zorvane-fx-cli build/dev/samples
# The Debian package builds, installs, runs and uninstalls.
scripts/package-check.sh
