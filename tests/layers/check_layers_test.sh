#!/usr/bin/env bash
# The layer check on a copy of the source folders: clean, it passes; with one include pointing
# up, one folder pair including each other, or a folder it does not know, it fails and names
# the file and line.
set -euo pipefail
src=$1
check=$src/scripts/check-layers.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fresh_copy() {
  rm -rf "$work/tree"; mkdir "$work/tree"
  for d in resources platform model formats ops view rules gl ui app cli; do
    [ -d "$src/$d" ] && cp -r "$src/$d" "$work/tree/"
  done
}
fail() { echo "FAIL: $*"; exit 1; }

fresh_copy
"$check" "$work/tree" >"$work/out" || { cat "$work/out"; fail "the clean tree is refused"; }

expect_refusal() {  # what, expected text
  if "$check" "$work/tree" >"$work/out"; then fail "$1 passed the check"; fi
  grep -qF -- "$2" "$work/out" || { cat "$work/out"; fail "$1: no line naming $2"; }
}

fresh_copy
printf '#include "ui/views.h"\n' >>"$work/tree/model/document.h"
line=$(wc -l <"$work/tree/model/document.h")
expect_refusal "model including ui" "model/document.h:$line: includes \"ui/views.h\""

fresh_copy
printf '#include "ops/mirror.h"\n' >>"$work/tree/view/camera.h"
printf '#include "view/camera.h"\n' >>"$work/tree/ops/mirror.cpp"
expect_refusal "view and ops including each other" "ops/mirror.cpp"

fresh_copy
printf '  #  include "app/app.h"  // indented\n' >>"$work/tree/cli/render.cpp"
expect_refusal "cli including app" "cli/render.cpp"

fresh_copy
mkdir "$work/tree/widgets"; printf '#pragma once\n' >"$work/tree/widgets/knob.h"
expect_refusal "an unknown folder" "widgets/"
echo "layer check: clean tree passes, four kinds of fault refused"
