#!/usr/bin/env bash
# `make run`: starts the GUI program on the sample document. It needs a display.
set -euo pipefail
build=${1:-build/release}
sample="$PWD/samples/sample.zarni"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    cat >&2 <<MSG
make run: zarni is a desktop program and needs a display, but DISPLAY is not set.
  Run it from a desktop session, or give it a virtual one, for example:
    Xvfb :5 -screen 0 1280x1024x24 &  DISPLAY=:5 make run
  Without a display, zarni-cli shows the sample document:
    $build/zarni-cli info samples/sample.zarni
MSG
    exit 2
fi

if [ ! -x "$build/zarni" ]; then
    echo "make run: $build/zarni was not built" >&2
    exit 1
fi
exec "$build/zarni" "$sample"
