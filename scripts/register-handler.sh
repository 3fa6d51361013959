#!/usr/bin/env bash
# Makes the given binary the user's handler of quavelin: links, so that the browser's sign-in
# redirect reaches a build that was never installed. The entry has a name of its own, so an
# installed copy's quavelin.desktop stays as it is. Running it again changes nothing.
set -euo pipefail

if [ $# -ne 1 ]; then
    echo "usage: $0 <quavelin binary>" >&2
    exit 2
fi
# Checked first, with shell built-ins only: without xdg-mime nothing below could work.
if ! command -v xdg-mime >/dev/null 2>&1; then
    echo "xdg-mime is missing: the sign-in redirect reaches Quavelin only once it is installed" \
        "(README, Installing)."
    exit 0
fi

binary=$(realpath "$1")
entry=quavelin-build.desktop
scheme=x-scheme-handler/quavelin
applications=${XDG_DATA_HOME:-$HOME/.local/share}/applications

# Exec takes a path with spaces or quotes only quoted, with the reserved characters escaped;
# the desktop file then escapes its backslashes once more.
exec_path=$binary
if [[ $binary =~ [^A-Za-z0-9/._+-] ]]; then
    quoted=$(printf '%s' "$binary" | sed -e 's/[\\"`$]/\\&/g')
    exec_path="\"$(printf '%s' "$quoted" | sed -e 's/\\/\\\\/g')\""
fi
exec_path=${exec_path//%/%%}

contents="[Desktop Entry]
Type=Application
Name=Quavelin (build)
Comment=Hands quavelin: links to a build started by scripts/run.sh
Exec=$exec_path %u
Icon=quavelin
Terminal=false
NoDisplay=true
MimeType=$scheme;
"

mkdir -p "$applications"
if [ "$(cat "$applications/$entry" 2>/dev/null)" != "${contents%$'\n'}" ]; then
    printf '%s' "$contents" >"$applications/$entry.new"
    mv "$applications/$entry.new" "$applications/$entry"
    if command -v update-desktop-database >/dev/null 2>&1; then
        update-desktop-database -q "$applications" || true
    fi
fi
# The user's own choice, not a guess from the installed entries: set it unless it is there.
mimeapps=${XDG_CONFIG_HOME:-$HOME/.config}/mimeapps.list
if ! grep -qx "$scheme=$entry;\\?" "$mimeapps" 2>/dev/null ||
    [ "$(xdg-mime query default "$scheme" 2>/dev/null)" != "$entry" ]; then
    xdg-mime default "$entry" "$scheme"
fi
echo "quavelin: links now open $binary ($applications/$entry)."
