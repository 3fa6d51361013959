#!/usr/bin/env bash
# The handler registration of run.sh, in a throwaway home: that GLib's launcher and xdg-open
# without a desktop both start the entry it writes with the link intact, whatever the build's
# path holds, the default it sets, that a second run changes nothing, that an installed entry is
# left alone, that a path no launcher can start registers nothing, and that it goes on without
# xdg-mime.
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
stand_in() { echo "$XDG_DATA_HOME/quavelin/quavelin-build"; } # the link to a build Exec can't name
# Folders by name, links by target and time, files by time and contents.
snapshot() {
    (cd "$root/$1" && find . \( -type d -printf '%p/\n' \) -o \( -type l -printf '%p -> %l %T@\n' \) \
        -o \( -type f -printf '%p %T@\n' -exec md5sum {} \; \) | sort)
}
default_handler() { xdg-mime query default x-scheme-handler/quavelin; }

# A stand-in build that writes down the arguments it was started with, in "received" beside it.
make_binary() { # folder
    mkdir -p "$1"
    cat >"$1/quavelin" <<'EOF'
#!/bin/sh
# Written aside first: the launcher returns before this ends, and a reader must not see half.
# Beside the build itself, not beside a link that started it.
dir=$(dirname "$(readlink -f "$0")")
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
# xdg-open's own fallback, when no desktop is named (openbox, i3): the way Chromium-type browsers
# hand links on there. It needs a display named, and with no browser named it must not go
# looking for one.
xdg_open_generic() { # link
    env -u XDG_CURRENT_DESKTOP DISPLAY=:99 BROWSER='' xdg-open "$1"
}
# Escaped inside the link, as a sign-in redirect is: a launcher must not read it as a field code.
link='quavelin://callback?code=a%20b&state=1'

# case name | binary's folder, given relative to the home as run.sh does | what Exec names: the
# build itself, or the link that stands in for it
cases=(
    'plain|build/src|build'
    'dash|-build/src|build'
    'space|my builds/src|link'
    'non-ASCII|Klänge/src|link'
    "marks|it's a\$b\"c\`d\\e/src|link"
)
for row in "${cases[@]}"; do
    IFS='|' read -r name folder named <<<"$row"
    echo "case: $name"
    use_home "$name"
    binary=$root/$name/$folder/quavelin
    make_binary "${binary%/*}"
    installed=$(md5sum <"$XDG_DATA_HOME/applications/quavelin.desktop")

    output=$(cd "$root/$name" && "$script" "$folder/quavelin") ||
        { fail "$name: exit status $?"; continue; }
    expect_eq "$(wc -l <<<"$output")" 1 "$name: lines printed"
    [ -f "$(entry_file)" ] || { fail "$name: no entry written"; continue; }

    if [ "$named" = link ]; then
        expect_eq "$(grep '^Exec=' "$(entry_file)")" "Exec=$(stand_in) %u" "$name: Exec"
        expect_eq "$(readlink -- "$(stand_in)")" "$binary" "$name: link's target"
    else
        expect_eq "$(grep '^Exec=' "$(entry_file)")" "Exec=$binary %u" "$name: Exec"
        [ ! -L "$(stand_in)" ] || fail "$name: a link was made"
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
        expect_eq "$(received "${binary%/*}")" "$link" "$name: link received through gio"
    else
        fail "$name: gio open status $?"
    fi
    if xdg_open_generic "$link"; then
        expect_eq "$(received "${binary%/*}")" "$link" "$name: link received through xdg-open"
    else
        fail "$name: xdg-open status $?"
    fi

    before=$(snapshot "$name")
    sleep 0.01
    (cd "$root/$name" && "$script" "$folder/quavelin" >/dev/null) ||
        fail "$name: second run's exit status $?"
    expect_eq "$(snapshot "$name")" "$before" "$name: files after a second run"
done

echo "case: another build takes the link over, then one that needs none"
use_home moved
for build in "first build" "second build" plain; do make_binary "$root/moved/$build"; done
"$script" "$root/moved/first build/quavelin" >/dev/null
"$script" "$root/moved/second build/quavelin" >/dev/null
expect_eq "$(readlink -- "$(stand_in)")" "$root/moved/second build/quavelin" "moved: link's target"
xdg_open_generic "$link" || fail "moved: xdg-open status $?"
expect_eq "$(received "$root/moved/second build")" "$link" "moved: link received by the second"
"$script" "$root/moved/plain/quavelin" >/dev/null
[ ! -L "$(stand_in)" ] || fail "moved: the link is still there"
xdg_open_generic "$link" || fail "moved: xdg-open status $?"
expect_eq "$(received "$root/moved/plain")" "$link" "moved: link received by the plain build"
expect_eq "$(received "$root/moved/second build")" "" "moved: link received by the second build"

# A path no launcher starts an entry for: nothing written, nothing made the default, one line
# that says why and what to do, and run.sh still goes on to start the build.
refused() { # case name, binary's folder, what the message blames, [a data folder of its own]
    echo "case: refused, $1"
    use_home "refused-$1"
    if [ -n "${4:-}" ]; then
        export XDG_DATA_HOME=$root/refused-$1/$4
        mkdir -p "$XDG_DATA_HOME/applications"
    fi
    make_binary "$root/refused-$1/$2"
    local default before output status=0
    default=$(default_handler)
    before=$(snapshot "refused-$1")
    output=$("$script" "$root/refused-$1/$2/quavelin" 2>&1) || status=$?
    expect_eq "$status" 0 "$1: exit status"
    expect_eq "$(wc -l <<<"$output")" 1 "$1: lines printed"
    [[ $output == *"$3"*"move the build folder"*"(README, Installing)"* ]] ||
        fail "$1: message '$output'"
    [ ! -e "$(entry_file)" ] || fail "$1: an entry was written"
    [ ! -L "$(stand_in)" ] || fail "$1: a link was made"
    expect_eq "$(default_handler)" "$default" "$1: default handler"
    expect_eq "$(snapshot "refused-$1")" "$before" "$1: files"
}
refused percent 'build%1/src' 'control character'
refused tab $'build\t1/src' 'control character'
refused newline $'build\n1/src' 'control character'
refused 'not UTF-8' $'build\xe91/src' 'control character'
# The link's own path would need quoting, as the build's does.
refused 'data folder with a space' 'my builds/src' 'needs quoting' 'my data'

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
