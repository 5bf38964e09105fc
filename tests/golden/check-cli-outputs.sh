#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Compares one part of what cli-outputs.sh prints with the same part of the recorded digests, so
# that the parts can run side by side and still leave no line of the record unchecked.
# Usage: check-cli-outputs.sh CLI SAMPLE_DIR SEED_DIR RECORDED PART PARTS
set -euo pipefail
here=$(dirname "$0")
recorded=$4
part=$5
parts=$6
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The recorded lines of this part's images: of the names in byte order, every PARTS-th from PART.
cut -d' ' -f1 "$recorded" | LC_ALL=C sort -u | awk -v part="$part" -v parts="$parts" '(NR - 1) % parts == part' \
    > "$work/names"
awk 'NR == FNR { mine[$1]; next } $1 in mine' "$work/names" "$recorded" > "$work/expected"
"$here/cli-outputs.sh" "$1" "$2" "$3" "$part" "$parts" > "$work/actual"
diff -u "$work/expected" "$work/actual"
