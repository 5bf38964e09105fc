#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks that the manual pages render without a warning and that their NAME lines parse.
# Usage: check-manuals.sh PAGE...
set -euo pipefail
status=0
for page in "$@"; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null || true)
    warnings+=$(groff -ww -man -z "$page" 2>&1 || true)
    if command -v mandoc >/dev/null; then warnings+=$(mandoc -Tlint -W warning "$page" 2>&1 || true); fi
    if [ -n "$warnings" ]; then
        echo "$page: $warnings"
        status=1
    fi
    lexgrog "$page" >/dev/null || { echo "$page: lexgrog cannot read its NAME section"; status=1; }
done
echo "manual pages: $# checked"
exit $status
