#!/usr/bin/env bash
# The handler registration of run.sh, in a throwaway home: that GLib's launcher starts the entry
# it writes with the link intact, the default it sets, that a second run changes nothing, that an
# installed entry is left alone, that a path no launcher can start registers nothing, and that
# it goes on without xdg-mime.
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

# A home of its own per case, with an installed copy's entry already in place. The system's
# folders are empty ones, so that an entry or a default installed on this machine has no say.
use_home() {
    export HOME=$root/$1 XDG_DATA_HOME=$root/$1/data XDG_CONFIG_HOME=$root/$1/config \
        XDG_DATA_DIRS=$root/$1/system-data XDG_CONFIG_DIRS=$root/$1/system-config
    unset XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID || true
    mkdir -p "$XDG_DATA_HOME/applications" "$XDG_CONFIG_HOME" "$XDG_DATA_DIRS" "$XDG_CONFIG_DIRS"
    printf '[Desktop Entry]\nType=Application\nName=Quavelin\nExec=quavelin %%u\nMimeType=%s;\n' \
        x-scheme-handler/quavelin >"$XDG_DATA_HOME/applications/quavelin.desktop"
}
entry_file() { echo "$XDG_DATA_HOME/applications/quavelin-build.desktop"; }
snapshot() { (cd "$root/$1" && find . -type f -printf '%p %T@\n' -exec md5sum {} \; | sort); }
default_handler() { xdg-mime query default x-scheme-handler/quavelin; }

# A stand-in build that writes down the arguments it was started with, in "received" beside it.
make_binary() { # folder
    mkdir -p "$1"
    cat >"$1/quavelin" <<'EOF'
#!/bin/sh
# Written aside first: the launcher returns before this ends, and a reader must not see half.
dir=$(dirname "$0")
printf '%s\n' "$@" >"$dir/received.new" && mv "$dir/received.new" "$dir/received"
EOF
    chmod +x "$1/quavelin"
}
received() { # folder: what its stand-in got, once it has run
    for _ in $(seq 50); do
        [ -e "$1/received" ] && break
        sleep 0.1
    done
    cat "$1/received" 2>/dev/null || true
    rm -f "$1/received"
}
# The launcher GNOME, Xfce and most browsers hand links to. No session here: no display, and a
# bus address that names no bus, so that GLib neither joins a session's bus nor starts one.
gio_open() { # link
    if ! command -v gio >/dev/null 2>&1; then
        echo "gio is not installed (scripts/install-deps.sh installs libglib2.0-bin)"
        return 1
    fi
    env -u DISPLAY -u WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS=disabled: GIO_USE_VFS=local \
        gio open "$1"
}
# Escaped inside the link, as a sign-in redirect is: a launcher must not read it as a field code.
link='quavelin://callback?code=a%20b&state=1'

# case name | binary's folder | Exec line expected (%s is the folder; none: only launched)
cases=(
    'plain|build/src|Exec=%s/quavelin %%u'
    'space|my builds/src|Exec="%s/quavelin" %%u'
    "marks|it's a\$b\"c\`d\\e/src|"
)
for row in "${cases[@]}"; do
    IFS='|' read -r name folder exec_format <<<"$row"
    echo "case: $name"
    use_home "$name"
    folder=$root/$name/$folder
    make_binary "$folder"
    installed=$(md5sum <"$XDG_DATA_HOME/applications/quavelin.desktop")

    output=$("$script" "$folder/quavelin")
    expect_eq "$(wc -l <<<"$output")" 1 "$name: lines printed"
    [ -f "$(entry_file)" ] || { fail "$name: no entry written"; continue; }

    if [ -n "$exec_format" ]; then
        # shellcheck disable=SC2059
        expect_eq "$(grep '^Exec=' "$(entry_file)")" "$(printf "$exec_format" "$folder")" \
            "$name: Exec"
    fi
    grep -qx 'MimeType=x-scheme-handler/quavelin;' "$(entry_file)" ||
        fail "$name: MimeType missing"
    if command -v desktop-file-validate >/dev/null 2>&1; then
        desktop-file-validate "$(entry_file)" || fail "$name: entry does not validate"
    fi
    expect_eq "$(default_handler)" quavelin-build.desktop "$name: default handler"
    grep -qx 'x-scheme-handler/quavelin=quavelin-build.desktop;\?' "$XDG_CONFIG_HOME/mimeapps.list" ||
        fail "$name: the default is not the user's own choice"
    expect_eq "$(md5sum <"$XDG_DATA_HOME/applications/quavelin.desktop")" "$installed" \
        "$name: installed entry"

    if gio_open "$link"; then
        expect_eq "$(received "$folder")" "$link" "$name: link received through gio"
    else
        fail "$name: gio open status $?"
    fi
    # xdg-open's own fallback (no desktop detected) hands a link over as a desktop would; it
    # reads only unquoted Exec lines, so it speaks for the plain path alone.
    if [ "$name" = plain ]; then
        DISPLAY=:99 BROWSER='' xdg-open "$link" || fail "$name: xdg-open status $?"
        expect_eq "$(received "$folder")" "$link" "$name: link received through xdg-open"
    fi

    before=$(snapshot "$name")
    sleep 0.01
    "$script" "$folder/quavelin" >/dev/null
    expect_eq "$(snapshot "$name")" "$before" "$name: files after a second run"
done

# A path no launcher starts an entry for: nothing written, nothing made the default, one line
# that says why and what to do, and run.sh still goes on to start the build.
refused() { # case name, binary's folder
    echo "case: refused, $1"
    use_home "refused-$1"
    make_binary "$root/refused-$1/$2"
    local default before output status=0
    default=$(default_handler)
    before=$(snapshot "refused-$1")
    output=$("$script" "$root/refused-$1/$2/quavelin" 2>&1) || status=$?
    expect_eq "$status" 0 "$1: exit status"
    expect_eq "$(wc -l <<<"$output")" 1 "$1: lines printed"
    [[ $output == *"control character"*"move the build folder"*"(README, Installing)"* ]] ||
        fail "$1: message '$output'"
    [ ! -e "$(entry_file)" ] || fail "$1: an entry was written"
    expect_eq "$(default_handler)" "$default" "$1: default handler"
    expect_eq "$(snapshot "refused-$1")" "$before" "$1: files"
}
refused percent 'build%1/src'
refused tab $'build\t1/src'
refused newline $'build\n1/src'
refused 'not UTF-8' $'build\xe91/src'

echo "case: an earlier run's entry, then a refused path"
use_home stale
make_binary "$root/stale/build/src"
"$script" "$root/stale/build/src/quavelin" >/dev/null
make_binary "$root/stale/build%1/src"
before=$(snapshot stale)
"$script" "$root/stale/build%1/src/quavelin" >/dev/null
expect_eq "$(snapshot stale)" "$before" "stale: files"
if gio_open "$link"; then
    expect_eq "$(received "$root/stale/build/src")" "$link" "stale: link received by the earlier build"
else
    fail "stale: gio open status $?"
fi

echo "case: the installed copy was the handler"
use_home taken
xdg-mime default quavelin.desktop x-scheme-handler/quavelin
make_binary "$root/taken/build"
"$script" "$root/taken/build/quavelin" >/dev/null
expect_eq "$(default_handler)" quavelin-build.desktop "taken: default handler"

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
