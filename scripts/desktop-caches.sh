#!/bin/sh
# Refreshes the desktop's caches under an install prefix after files were added or removed:
# the MIME database (document type by name and by content), the launcher's type table and the
# icon cache. A tool that is missing is skipped; the files work without it after the next login.
prefix=${1:?usage: desktop-caches.sh PREFIX}
share="$prefix/share"
if [ -d "$share/mime/packages" ] && command -v update-mime-database >/dev/null 2>&1; then
  update-mime-database "$share/mime" || echo "desktop-caches: update-mime-database failed" >&2
fi
if [ -d "$share/applications" ] && command -v update-desktop-database >/dev/null 2>&1; then
  update-desktop-database -q "$share/applications" ||
    echo "desktop-caches: update-desktop-database failed" >&2
fi
if [ -f "$share/icons/hicolor/index.theme" ] && command -v gtk-update-icon-cache >/dev/null 2>&1; then
  gtk-update-icon-cache -q -t -f "$share/icons/hicolor" ||
    echo "desktop-caches: gtk-update-icon-cache failed" >&2
fi
exit 0
