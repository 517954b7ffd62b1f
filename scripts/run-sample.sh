#!/usr/bin/env bash
# `make run`: shows the sample document with zarni-cli (its contents and a POV-Ray export).
set -euo pipefail
build=${1:-build/release}
sample=samples/sample.zarni
out=${TMPDIR:-/tmp}/zarni-sample
mkdir -p "$out"

echo "== zarni-cli info $sample (first lines)"
"$build/zarni-cli" info "$sample" | head -n 40
echo "..."
"$build/zarni-cli" export "$sample" "$out/sample.pov" --size 800x560
"$build/zarni-cli" export "$sample" "$out/sample.inc"
echo "== wrote $out/sample.pov ($(wc -c <"$out/sample.pov") bytes) and $out/sample.inc"
head -n 24 "$out/sample.pov"
