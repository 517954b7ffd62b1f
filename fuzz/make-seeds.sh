#!/usr/bin/env bash
# Regenerates the document seeds: the sample document and the documents the golden operation
# scripts of the tests build. Usage: fuzz/make-seeds.sh PATH/TO/zarni-cli
set -euo pipefail
cli=${1:?usage: fuzz/make-seeds.sh PATH/TO/zarni-cli}
root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/fuzz/seeds/document"
mkdir -p "$out"
export ZARNI_INI="$out/.unused.ini"  # settings of our own, never the user's
cp "$root/samples/sample.zarni" "$out/sample.zarni"
for ops in "$root"/tests/golden/*.ops; do
  name=$(basename "$ops" .ops)
  mapfile -t lines < <(grep -v '^[[:space:]]*\(#\|$\)' "$ops")
  "$cli" apply - "$out/$name.zarni" "${lines[@]}"
done
rm -f "$ZARNI_INI"
