#!/usr/bin/env bash
# The installed layout end to end, in a staging folder (DESTDIR) under a temporary folder:
#   - the install writes the programs, the launcher entry, the icons, the MIME package, the
#     thumbnailer and the ReadMe where the desktop and Help look for them;
#   - desktop-file-validate accepts the launcher entry;
#   - the thumbnailer's command line, run as a file manager runs it, writes a PNG of the size;
#   - the MIME database built by update-mime-database types a document as the program's type
#     by its name and, renamed without its extension, by its first bytes;
#   - the installed program, started under a display, opens the installed ReadMe on F1;
#   - uninstall removes every file the install wrote.
# Usage: install_test.sh BUILD_DIR SOURCE_DIR. Exits 77 (skipped) when a tool it needs is
# missing; scripts/install-deps.sh installs them all.
set -euo pipefail

build=$(cd "${1:?usage: install_test.sh BUILD_DIR SOURCE_DIR}" && pwd)
source=$(cd "${2:?usage: install_test.sh BUILD_DIR SOURCE_DIR}" && pwd)

# In the sanitizer build the programs run below report leaks at exit. ctest hands this script
# no settings for that, so it names the project's suppressions itself: leaks inside the system's
# libraries (the software GL renderer the thumbnailer's render draws with) are not the
# program's. Options already set come after, and so win.
export LSAN_OPTIONS="suppressions=$source/tests/lsan.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

for tool in desktop-file-validate update-mime-database gio xdotool; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "install_test: $tool not found: skipped (scripts/install-deps.sh installs it)"
    exit 77
  fi
done
# Help needs a display, and keys pressed there must reach only the program under test: the
# whole test runs under an X server of its own, never on a display shared with other tests.
if [ -z "${ZARNI_INSTALL_TEST_DISPLAY:-}" ]; then
  if ! command -v xvfb-run >/dev/null 2>&1; then
    echo "install_test: xvfb-run not found: skipped (scripts/install-deps.sh installs it)"
    exit 77
  fi
  ZARNI_INSTALL_TEST_DISPLAY=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

tmp=$(mktemp -d /tmp/zarni-install-XXXXXX)
program_pid=
manifest="$build/install_manifest.txt"
saved_manifest="$tmp/manifest.saved"
cleanup() {
  if [ -n "$program_pid" ]; then kill "$program_pid" 2>/dev/null || true; fi
  # The build's own manifest (from a real install) is put back as it was.
  if [ -f "$saved_manifest" ]; then cp "$saved_manifest" "$manifest"; else rm -f "$manifest"; fi
  rm -rf "$tmp"
}
trap cleanup EXIT
[ -f "$manifest" ] && cp "$manifest" "$saved_manifest"

fail() {
  echo "install_test: FAILED: $*" >&2
  exit 1
}

stage="$tmp/stage"
prefix=/usr/local
root="$stage$prefix"
DESTDIR="$stage" cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" ||
  { cat "$tmp/install.log"; fail "install"; }
mv "$manifest" "$tmp/manifest"

echo "-- the installed files"
for f in bin/zarni bin/zarni-cli share/applications/zarni.desktop \
  share/icons/hicolor/scalable/apps/zarni.svg share/icons/hicolor/256x256/apps/zarni.png \
  share/mime/packages/zarni.xml share/thumbnailers/zarni.thumbnailer share/doc/zarni/ReadMe.txt; do
  [ -f "$root/$f" ] || fail "$prefix/$f was not installed"
  grep -qx "$prefix/$f" "$tmp/manifest" || fail "$prefix/$f is missing from the install manifest"
done
[ -x "$root/bin/zarni" ] && [ -x "$root/bin/zarni-cli" ] || fail "the programs are not executable"
[ ! -e "$root/bin/ReadMe.txt" ] || fail "the ReadMe belongs in the documentation folder"
cmp -s "$root/share/doc/zarni/ReadMe.txt" "$source/resources/ReadMe.txt" || fail "ReadMe differs"
# The icon is what its name says: a 256 x 256 PNG (width and height in its header).
[ "$(od -An -tx1 -j16 -N8 "$root/share/icons/hicolor/256x256/apps/zarni.png" | tr -d ' \n')" = \
  "0000010000000100" ] || fail "the 256-pixel icon is not a 256 x 256 PNG"

echo "-- desktop-file-validate"
desktop-file-validate "$root/share/applications/zarni.desktop" || fail "desktop-file-validate"
grep -qx 'MimeType=application/x-zarni;' "$root/share/applications/zarni.desktop" ||
  fail "the launcher does not open the document type"

# Settings and per-user state of the programs below stay in the temporary folder.
export HOME="$tmp/home" ZARNI_INI="$tmp/zarni.ini" XDG_CONFIG_HOME="$tmp/home/.config"
export XDG_STATE_HOME="$tmp/home/.state" XDG_CACHE_HOME="$tmp/home/.cache"
mkdir -p "$HOME"

echo "-- the thumbnailer's command line"
exec_line=$(sed -n 's/^Exec=//p' "$root/share/thumbnailers/zarni.thumbnailer")
try_exec=$(sed -n 's/^TryExec=//p' "$root/share/thumbnailers/zarni.thumbnailer")
[ -x "$root/bin/$try_exec" ] || fail "the thumbnailer's TryExec $try_exec is not installed"
thumbnail="$tmp/thumbnail.png"
# A file manager replaces %i, %o and %s; the arguments are plain words.
read -r -a words <<<"$exec_line"
args=()
for w in "${words[@]}"; do
  w=${w//%i/$source/samples/sample.zarni}
  w=${w//%o/$thumbnail}
  w=${w//%s/128}
  args+=("$w")
done
PATH="$root/bin:$PATH" "${args[@]}" || fail "the thumbnailer's command failed: ${args[*]}"
[ "$(od -An -tx1 -j16 -N8 "$thumbnail" | tr -d ' \n')" = "0000008000000080" ] ||
  fail "the thumbnail is not a 128 x 128 PNG"

echo "-- the MIME type by name and by content"
XDG_DATA_DIRS="$root/share" update-mime-database "$root/share/mime" || fail "update-mime-database"
cp "$source/samples/sample.zarni" "$tmp/model.zarni"
cp "$source/samples/sample.zarni" "$tmp/model-without-extension"
printf 'just some text\n' >"$tmp/notes-without-extension"
content_type() {
  # Only the staged database: no user or system MIME data, no virtual file system daemons.
  XDG_DATA_HOME="$tmp/no-user-data" XDG_DATA_DIRS="$root/share" GIO_USE_VFS=local \
    gio info -a standard::content-type "$1" | sed -n 's/^ *standard::content-type: //p'
}
[ "$(content_type "$tmp/model.zarni")" = application/x-zarni ] ||
  fail "model.zarni is typed $(content_type "$tmp/model.zarni")"
[ "$(content_type "$tmp/model-without-extension")" = application/x-zarni ] ||
  fail "a document without its extension is typed $(content_type "$tmp/model-without-extension")"
[ "$(content_type "$tmp/notes-without-extension")" != application/x-zarni ] ||
  fail "a text file is typed as a document"

echo "-- Help (F1) in the installed program"
# The desktop's viewer is a stand-in that writes down what it was asked to open.
mkdir -p "$tmp/viewer"
cat >"$tmp/viewer/xdg-open" <<EOF
#!/bin/sh
printf '%s\n' "\$1" >>"$tmp/opened"
EOF
chmod +x "$tmp/viewer/xdg-open"
PATH="$tmp/viewer:$PATH" "$root/bin/zarni" >"$tmp/program.log" 2>&1 &
program_pid=$!
window=$(timeout 60 xdotool search --sync --onlyvisible --pid "$program_pid" --name '^Zarni!' |
  head -n 1) || true
[ -n "$window" ] || { cat "$tmp/program.log"; fail "the main window did not appear"; }
# Press F1 with the main window focused until the viewer was asked for something (the first
# press can come before the window takes keys), for at most 30 s.
deadline=$((SECONDS + 30))
while [ ! -s "$tmp/opened" ]; do
  [ $SECONDS -lt $deadline ] || { cat "$tmp/program.log"; fail "F1 opened nothing"; }
  kill -0 "$program_pid" 2>/dev/null || { cat "$tmp/program.log"; fail "the program ended"; }
  xdotool windowfocus --sync "$window" key F1 2>/dev/null || true
  for _ in 1 2 3 4 5 6 7 8 9 10; do
    [ -s "$tmp/opened" ] && break
    sleep 0.2
  done
done
opened=$(head -n 1 "$tmp/opened")
[ "$opened" = "$root/share/doc/zarni/ReadMe.txt" ] || fail "F1 opened $opened"
kill "$program_pid"
wait "$program_pid" 2>/dev/null || true
program_pid=

echo "-- uninstall"
DESTDIR="$stage" "$source/scripts/uninstall.sh" "$tmp/manifest" >/dev/null || fail "uninstall"
while IFS= read -r f || [ -n "$f" ]; do
  [ ! -e "$stage$f" ] || fail "uninstall left $f"
done <"$tmp/manifest"
[ ! -d "$root/share/doc/zarni" ] || fail "uninstall left the documentation folder"
echo "install_test: passed"
