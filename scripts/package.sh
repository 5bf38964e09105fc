#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian package: build/package/zorvane-fx_VERSION_ARCH.deb.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset package
cmake --build --preset package
cpack --preset package
ls build/package/*.deb
