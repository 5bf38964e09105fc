#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what a fresh Debian 12 machine lacks, builds, and opens the editor on a sample image.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${ZFX_SKIP_INSTALL:-0}" != 1 ]; then scripts/install-deps.sh; fi
cmake --preset dev
# The editor, the CLI and the samples only: scripts/test.sh builds the tests.
cmake --build --preset dev --target zorvane-fx zorvane-fx-cli zfx_sample_files
sample=build/dev/samples/fx5950-ultra.rom
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display here, so the editor window cannot open. What it would show for $sample:"
    echo
    exec build/dev/src/cli/zorvane-fx-cli info "$sample"
fi
exec build/dev/src/app/zorvane-fx "$sample"
