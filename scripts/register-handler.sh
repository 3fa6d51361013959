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

binary=$(realpath -- "$1")
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
data=${XDG_DATA_HOME:-$HOME/.local/share}
applications=$data/applications
link=$data/quavelin/quavelin-build

# xdg-open without a desktop it knows (openbox, i3: the way Chromium-type browsers hand links
# on) splits Exec at blanks and reads no quotes, so it cannot start a quoted Exec. A path that
# would need quoting is named through a link of ours whose own path needs none. Bytes outside
# ASCII count as needing it too (hence the C locale), so that no launcher's reading of them
# matters.
needs_quoting() {
    local LC_ALL=C
    [[ $1 =~ [^A-Za-z0-9/._+-] ]]
}
exec_path=$binary
if needs_quoting "$binary"; then
    if needs_quoting "$link"; then
        echo "quavelin: the sign-in redirect cannot reach this build: xdg-open does not start" \
            "a program whose path needs quoting, and the link that would stand in for this" \
            "build needs it too ($(printf '%q' "$link")); move the build folder to a path of" \
            "letters, digits and / . _ + - only, or install Quavelin (README, Installing)."
        exit 0
    fi
    exec_path=$link
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

if [ "$exec_path" = "$link" ]; then
    # Swapped in whole, and only when it names another build, so that a launcher never finds
    # it missing and a second run leaves it as it is.
    if [ "$(readlink -- "$link" 2>/dev/null)" != "$binary" ]; then
        mkdir -p -- "${link%/*}"
        ln -sfn -- "$binary" "$link.new"
        mv -T -- "$link.new" "$link"
    fi
elif [ -L "$link" ]; then
    # Once the entry names the build itself the link is no one's: left behind, it would keep
    # naming a build that may since have been deleted, under a name that looks in use.
    rm -f -- "$link"
fi
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
if [ "$exec_path" = "$link" ]; then
    echo "quavelin: links now open $binary through $link ($applications/$entry)."
else
    echo "quavelin: links now open $binary ($applications/$entry)."
fi
