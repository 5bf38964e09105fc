#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the editor's page (the web preset) and tests it in Debian's headless Chromium against the
# CLI of a native build: every sample opened, edits saved and compared byte for byte, wrong and
# damaged files, and no request to another origin.
# Usage: tests/web/run.sh [CLI] [SAMPLES_DIR]   (default: the dev build's)
set -euo pipefail
cd "$(dirname "$0")/../.."
cli=$(realpath "${1:-build/dev/src/cli/zorvane-fx-cli}")
samples=$(realpath "${2:-build/dev/samples}")
cmake --preset web >/dev/null
cmake --build --preset web
if [ ! -d tests/web/node_modules/playwright-core ]; then npm ci --prefix tests/web --no-audit --no-fund; fi
node tests/web/page_test.mjs "$cli" "$samples" build/web/site
