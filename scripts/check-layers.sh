#!/usr/bin/env bash
# Checks that every include between the program's folders points down the layer order below:
# a file may include its own folder and the folders before it, never one after it. Prints each
# upward include as FILE:LINE and exits 1; a source folder missing from the order fails too, so
# a new folder has to be given its place.
#
# usage: scripts/check-layers.sh [SOURCE_ROOT]
set -euo pipefail
root=${1:-$(dirname "$0")/..}
cd "$root"

# The layers, lowest first. Each line: a folder and the folders it may include besides itself.
# The main line is a single chain; cli stands beside the windows, above the drawing code.
chain=(resources platform model formats ops view rules gl ui app)
declare -A allowed
below=""
for folder in "${chain[@]}"; do
  allowed[$folder]="$below"
  below="$below $folder"
done
allowed[cli]="resources platform model formats ops view rules gl"
# Tests, benchmarks and fuzz targets stand outside the program and may include any layer.
outside=" tests bench fuzz scripts build samples .ci .git "

status=0
for dir in */; do
  dir=${dir%/}
  [[ $outside == *" $dir "* ]] && continue
  if [[ -z ${allowed[$dir]+set} ]]; then
    if compgen -G "$dir/*.cpp" >/dev/null || compgen -G "$dir/*.h" >/dev/null; then
      echo "$dir/: a source folder with no place in the layer order (scripts/check-layers.sh)"
      status=1
    fi
    continue
  fi
done

while IFS=: read -r file line text; do
  from=${file%%/*}
  [[ -z ${allowed[$from]+set} ]] && continue
  target=${text#*\"}
  to=${target%%/*}
  [[ $target == */* ]] || continue
  [[ $to == "$from" ]] && continue
  [[ -z ${allowed[$to]+set} ]] && continue
  if [[ " ${allowed[$from]} " != *" $to "* ]]; then
    echo "$file:$line: includes \"${target%%\"*}\": $from/ may include only:${allowed[$from]:- nothing else}"
    status=1
  fi
done < <(grep -n -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' \
           $(for f in "${!allowed[@]}"; do [ -d "$f" ] && echo "$f"; done | sort) -r \
           --include='*.h' --include='*.cpp' --include='*.in' || true)

exit $status
