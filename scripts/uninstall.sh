#!/bin/sh
# Removes the files an install wrote, as listed in its install manifest (one installed path a
# line), under DESTDIR when the install was staged there, and the program's documentation
# folder once it is empty.
set -eu
manifest=${1:?usage: [DESTDIR=...] uninstall.sh INSTALL_MANIFEST}
root=${DESTDIR:-}
if [ ! -f "$manifest" ]; then
  echo "uninstall: $manifest not found: nothing was installed from this build" >&2
  exit 1
fi
while IFS= read -r file || [ -n "$file" ]; do
  [ -n "$file" ] || continue
  path="$root$file"
  if [ -e "$path" ] || [ -L "$path" ]; then
    rm -f -- "$path"
    echo "-- Removed: $path"
  fi
  case "$path" in
    */share/doc/zarni/*) rmdir -- "${path%/*}" 2>/dev/null || true ;;
  esac
done <"$manifest"
