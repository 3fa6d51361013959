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
# GLib's launcher (GNOME, Xfce, most browsers) looks for the Exec program before it undoes the
# %% escape, so it never starts such an entry; a control character breaks or invalidates the
# file, and a key file holds UTF-8 only. An entry that cannot start would still take the links
# over, so nothing is registered. An entry of an earlier run stays as it is: the build it names,
# if still there, hands links on to the running instance.
launchable() {
    local LC_ALL=C
    [[ $1 != *[%[:cntrl:]]* ]] && iconv -f UTF-8 -t UTF-8 <<<"$1" >/dev/null 2>&1
}
if ! launchable "$binary"; then
    echo "quavelin: the sign-in redirect cannot reach this build: desktop launchers do not start" \
        "a program whose path holds %, a control character or bytes that are not UTF-8" \
        "($(printf '%q' "$binary")); move the build folder to a path without them, or install" \
        "Quavelin (README, Installing)."
    exit 0
fi
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
