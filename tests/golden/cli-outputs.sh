#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Prints a digest of everything the CLI says and writes for every sample and fuzz seed: each
# command's exit code and the SHA-256 of its standard output, its standard error and the file a
# save writes. The test compares it with cli-outputs.txt beside this script, made by an earlier
# build, so a change of design that changes one byte of output shows up as the line that differs.
# With PART and PARTS it runs only the images whose place in the byte order of their names, counted
# from 0, leaves PART when divided by PARTS: the test runs the parts side by side.
# Usage: cli-outputs.sh CLI SAMPLE_DIR SEED_DIR [PART PARTS]
set -euo pipefail
cli=$(realpath "$1")
samples=$(realpath "$2")
seeds=$(realpath "$3")
part=${4:-0}
parts=${5:-1}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# The images: the samples, and every editor seed without its eight action bytes.
mkdir images
cp "$samples"/*.rom images/
# The references of diff, by names that do not depend on where the build is.
cp "$samples/fx5950-ultra.rom" ref-fx5950.rom
cp "$samples/gf6800.rom" ref-gf6800.rom
for seed in "$seeds"/*; do tail -c +9 "$seed" > "images/$(basename "$seed").rom"; done

# Sets sums to the first 16 hex digits of each file's SHA-256, or "-" for a file that is not there,
# with one sha256sum for them all: the script runs thousands of commands.
digest_files() {
    local file hash present=()
    local -A digests=()
    for file; do [ -f "$file" ] && present+=("$file"); done
    while read -r hash file; do digests[$file]=${hash:0:16}; done < <(sha256sum -- "${present[@]}")
    sums=()
    for file; do sums+=("${digests[$file]:--}"); done
}

run() { # label, then the command's arguments; a save writes out.rom
    local label=$1; shift
    rm -f out.rom out.orig.rom
    local rc=0
    "$cli" "$@" > stdout 2> stderr || rc=$?
    digest_files stdout stderr out.rom
    echo "$name $label rc=$rc out=${sums[0]} err=${sums[1]} file=${sums[2]}"
}

# This part's images, by their place in the byte order of the names.
declare -A mine=()
index=0
while read -r name; do
    if [ $((index % parts)) = "$part" ]; then mine[$name]=1; fi
    index=$((index + 1))
done < <(cd images && printf '%s\n' *.rom | LC_ALL=C sort)

for image in images/*.rom; do
    name=$(basename "$image")
    [ -n "${mine[$name]:-}" ] || continue
    cp "$image" in.rom
    run info info in.rom
    run info-json info --json in.rom
    run info-json-modes info --json --general-mode --timings in.rom
    run verify verify in.rom
    run verify-json verify --json in.rom
    run structure structure in.rom
    run structure-json structure --json in.rom
    run diff-fx5950 diff in.rom ref-fx5950.rom
    run diff-json-gf6800 diff --json ref-gf6800.rom in.rom
    run set-none set in.rom -o out.rom
    run set-core set in.rom -o out.rom --json --core-3d 433 --core-2d 251
    run set-mem-2d set in.rom -o out.rom --json --mem-2d 275
    run set-mem-3d set in.rom -o out.rom --mem-3d 431
    run set-mem-throttle set in.rom -o out.rom --json --mem-throttle 200
    run set-throttle set in.rom -o out.rom --core-throttle 199
    run set-volt set in.rom -o out.rom --json --voltage-3d '#0' --voltage-2d '#1'
    run set-general set in.rom -o out.rom --json --general-mode --voltage-3d '#2' --voltage-throttle '#0'
    run set-timings set in.rom -o out.rom --json --timings --timing-a 7 --timing-c 3 --timing-f 9
    run set-timing-b set in.rom -o out.rom --timings --timing-b 12
    run set-refused set in.rom -o out.rom --core-3d 99999999
    cp in.rom out.rom
    rc=0; "$cli" set out.rom -o out.rom --core-3d 401 > stdout 2> stderr || rc=$?
    digest_files stdout stderr out.rom out.orig.rom
    echo "$name set-over rc=$rc out=${sums[0]} err=${sums[1]} file=${sums[2]} orig=${sums[3]}"
    rm -f out.rom out.orig.rom
done
