#!/usr/bin/env bash
# The handler registration of run.sh, in a throwaway home: the entry it writes, the default it
# sets, that a second run changes nothing, that an installed entry is left alone and that it
# goes on without xdg-mime.
set -euo pipefail
script=$(realpath "$1")

if ! command -v xdg-mime >/dev/null 2>&1; then
    echo "SKIP: xdg-mime is not installed"
    exit 77
fi

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
expect_eq() { # actual expected what
    [ "$1" = "$2" ] || fail "$3: got '$1', expected '$2'"
}

# A home of its own per case, with an installed copy's entry already in place.
use_home() {
    export HOME=$root/$1 XDG_DATA_HOME=$root/$1/data XDG_CONFIG_HOME=$root/$1/config
    unset XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID || true
    mkdir -p "$XDG_DATA_HOME/applications" "$XDG_CONFIG_HOME"
    printf '[Desktop Entry]\nType=Application\nName=Quavelin\nExec=quavelin %%u\nMimeType=%s;\n' \
        x-scheme-handler/quavelin >"$XDG_DATA_HOME/applications/quavelin.desktop"
}
entry_file() { echo "$XDG_DATA_HOME/applications/quavelin-build.desktop"; }
snapshot() { (cd "$root/$1" && find . -type f -printf '%p %T@\n' -exec md5sum {} \; | sort); }

# case name | binary's folder | Exec line expected (%s is the folder)
cases=(
    'plain|build/src|Exec=%s/quavelin %%u'
    'space|my builds/src|Exec="%s/quavelin" %%u'
    'marks|a$b"c`d\e%f/src|Exec="%s/quavelin" %%u'
)
for row in "${cases[@]}"; do
    IFS='|' read -r name folder exec_format <<<"$row"
    echo "case: $name"
    use_home "$name"
    mkdir -p "$root/$name/$folder"
    binary=$root/$name/$folder/quavelin
    printf '#!/bin/sh\nprintf "%%s\\n" "$@" >"$(dirname "$0")/received"\n' >"$binary"
    chmod +x "$binary"
    installed=$(md5sum <"$XDG_DATA_HOME/applications/quavelin.desktop")

    output=$("$script" "$binary")
    expect_eq "$(wc -l <<<"$output")" 1 "$name: lines printed"
    [ -f "$(entry_file)" ] || { fail "$name: no entry written"; continue; }

    # The escaping the desktop-entry format asks for inside a quoted Exec argument, then the
    # file's own escaping of backslashes.
    escaped=$root/$name/$folder
    if [ "$name" != plain ]; then
        escaped=$(printf '%s' "$escaped" | sed -e 's/[\\"`$]/\\&/g' -e 's/\\/\\\\/g')
    fi
    escaped=${escaped//%/%%}
    # shellcheck disable=SC2059
    expect_eq "$(grep '^Exec=' "$(entry_file)")" "$(printf "$exec_format" "$escaped")" \
        "$name: Exec"
    grep -qx 'MimeType=x-scheme-handler/quavelin;' "$(entry_file)" ||
        fail "$name: MimeType missing"
    if command -v desktop-file-validate >/dev/null 2>&1; then
        desktop-file-validate "$(entry_file)" || fail "$name: entry does not validate"
    fi
    expect_eq "$(xdg-mime query default x-scheme-handler/quavelin)" quavelin-build.desktop \
        "$name: default handler"
    grep -qx 'x-scheme-handler/quavelin=quavelin-build.desktop;\?' "$XDG_CONFIG_HOME/mimeapps.list" ||
        fail "$name: the default is not the user's own choice"
    expect_eq "$(md5sum <"$XDG_DATA_HOME/applications/quavelin.desktop")" "$installed" \
        "$name: installed entry"

    # xdg-open's own fallback (no desktop detected) hands a link over as a desktop would; it
    # reads only unquoted Exec lines, so it speaks for the plain path alone.
    if [ "$name" = plain ]; then
        link='quavelin://callback?code=a%20b&state=1'
        DISPLAY=:99 BROWSER='' xdg-open "$link" || fail "$name: xdg-open status $?"
        expect_eq "$(cat "$root/$name/$folder/received" 2>/dev/null)" "$link" \
            "$name: link received"
        rm -f "$root/$name/$folder/received"
    fi

    before=$(snapshot "$name")
    sleep 0.01
    "$script" "$binary" >/dev/null
    expect_eq "$(snapshot "$name")" "$before" "$name: files after a second run"
done

echo "case: the installed copy was the handler"
use_home taken
xdg-mime default quavelin.desktop x-scheme-handler/quavelin
mkdir -p "$root/taken/build"
printf '#!/bin/sh\n' >"$root/taken/build/quavelin"
"$script" "$root/taken/build/quavelin" >/dev/null
expect_eq "$(xdg-mime query default x-scheme-handler/quavelin)" quavelin-build.desktop \
    "taken: default handler"

echo "case: no xdg-mime"
use_home bare
output=$(PATH=/nonexistent /bin/bash "$script" "$root/bare/quavelin") ||
    fail "bare: exit status $?"
[[ $output == *"xdg-mime is missing"*"installed"* ]] || fail "bare: message '$output'"
[ ! -e "$(entry_file)" ] || fail "bare: an entry was written"

if [ "$failures" -ne 0 ]; then
    echo "$failures failure(s)"
    exit 1
fi
echo "all passed"
