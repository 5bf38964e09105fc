#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs everything needed to build, test, fuzz, benchmark and tidy on a fresh Debian 12 machine,
# and to build the editor's page and test it in a browser.
set -euo pipefail
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends \
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev clang-format clang-tidy \
  qt6-base-dev qt6-base-dev-tools libgl1-mesa-dev \
  libgtest-dev libgmock-dev libbenchmark-dev \
  libcli11-dev nlohmann-json3-dev \
  xvfb xauth imagemagick x11-apps fonts-dejavu-core time \
  librsvg2-bin dpkg-dev desktop-file-utils shared-mime-info appstream man-db groff-base openbox xdotool \
  python3 jq \
  emscripten chromium
# The page's tests drive Chromium from Node (Node and npm: Debian's, unless the machine has its own).
if ! command -v npm >/dev/null; then $SUDO apt-get install -y -q --no-install-recommends nodejs npm; fi
npm ci --prefix "$(dirname "$0")/../tests/web" --no-audit --no-fund
