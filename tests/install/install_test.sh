#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs into a scratch root and uses the programs from there, away from the build tree:
# the companion files must be found in share/, the desktop files must pass the platform's
# validators, and every place that shows the version must show the project's.
#   install_test.sh BUILD           cmake --install into the scratch root under /opt/kv
#   install_test.sh --deb FILE.deb  dpkg --root into it, the manual pages opened with man,
#                                   then dpkg -r must leave only the user's own files
set -euo pipefail
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
fail() { echo "install test: $*" >&2; exit 1; }

if [ "$1" = --deb ]; then
    deb=$(readlink -f "$2")
    version=$(dpkg-deb -f "$deb" Version)
    mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
    touch "$root/var/lib/dpkg/status"
    # The scratch root has no database of the libraries the programs use: those come from
    # the machine, so their dependencies are not asked for here.
    dpkg=(dpkg --root="$root" --force-depends --force-script-chrootless --log=/dev/null)
    "${dpkg[@]}" -i "$deb" >"$root/dpkg.out" 2>&1 || fail "dpkg -i failed: $(cat "$root/dpkg.out")"
    rm "$root/dpkg.out"
    "${dpkg[@]}" -s kestrel-vanta | grep -q '^Status: install ok installed' \
        || fail "dpkg does not hold the package as installed"
    prefix=$root/usr
else
    version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$1/CMakeCache.txt")
    DESTDIR=$root cmake --install "$1" --prefix /opt/kv >/dev/null
    prefix=$root/opt/kv
fi
[ -n "$version" ] || fail "no version"

for f in bin/kestrel-vanta bin/kestrel-vanta-cli bin/vanta-module-sim \
         share/kestrel-vanta/Vanta_Chart.oc2 share/kestrel-vanta/Vanta_EX_Max.dat \
         share/kestrel-vanta/Kestrel_Vanta.cfg share/doc/kestrel-vanta/copyright \
         share/doc/kestrel-vanta/changelog.gz \
         share/icons/hicolor/48x48/apps/org.kestrelvanta.KestrelVanta.png; do
    [ -f "$prefix/$f" ] || fail "$f was not installed"
done
[ -z "$(ls "$prefix/bin" | grep -v -E '^(kestrel-vanta|kestrel-vanta-cli|vanta-module-sim)$')" ] \
    || fail "bin/ holds more than the three programs: $(ls "$prefix/bin")"

desktop-file-validate "$prefix/share/applications/org.kestrelvanta.KestrelVanta.desktop"
metainfo=$prefix/share/metainfo/org.kestrelvanta.KestrelVanta.metainfo.xml
appstreamcli validate --no-net --explain "$metainfo" >/dev/null \
    || fail "the AppStream metadata does not validate"

# One version everywhere: the programs, the manual pages, the changelog's newest entry,
# the AppStream release and the caption (the About box is the main window's test).
grep -q "<release version=\"$version\" date=\"[0-9-]*\"/>" "$metainfo" \
    || fail "AppStream release is not $version"
zcat "$prefix/share/doc/kestrel-vanta/changelog.gz" | head -1 \
    | grep -q "^kestrel-vanta ($version) " || fail "changelog's newest entry is not $version"
for p in kestrel-vanta kestrel-vanta-cli vanta-module-sim; do
    [ "$("$prefix/bin/$p" --version)" = "$p $version" ] || fail "$p --version is not $version"
    "$prefix/bin/$p" --help | grep -q usage || fail "$p --help"
    zcat "$prefix/share/man/man1/$p.1.gz" | grep -q "^\.TH [A-Z-]* 1 \"[A-Z][a-z]* [0-9]*\" \"Kestrel Vanta $version\"" \
        || fail "$p.1 is not for $version"
done

# The user's own files go into the scratch root: a table and the settings start-up writes.
export HOME=$root/home XDG_CONFIG_HOME=$root/home/.config XDG_RUNTIME_DIR=$root/home/run
mkdir -p -m 0700 "$HOME" "$XDG_RUNTIME_DIR"
# The companion reads an EX table, which needs the EX limits from share/.
cd "$root"
"$prefix/bin/kestrel-vanta-cli" new --type EX --slope 2 -o "$HOME/t.tbl"
"$prefix/bin/kestrel-vanta-cli" show "$HOME/t.tbl" --json | grep -q '"type": "EX"' \
    || fail "show did not read back the EX table"

# The desktop program, offscreen: it reads the branding file and the chart template from
# share/ (a missing template would stop it at a message box, and the probe never print).
out=$(QT_QPA_PLATFORM=offscreen KV_STARTUP_PROBE=1 timeout 60 "$prefix/bin/kestrel-vanta")
grep -q "^companions=$prefix/share/kestrel-vanta$" <<<"$out" || fail "companion folder: $out"
grep -q "^caption=Orvane Kestrel Vanta Version $version$" <<<"$out" || fail "caption: $out"

if [ -n "${deb:-}" ]; then
    # man finds each page in the scratch root and formats it without a complaint.
    for p in kestrel-vanta kestrel-vanta-cli vanta-module-sim; do
        [ "$(MANPATH=$prefix/share/man man -w "$p")" = "$prefix/share/man/man1/$p.1.gz" ] \
            || fail "man does not find $p in the scratch root"
        page=$(MANPATH=$prefix/share/man MANWIDTH=80 man --warnings -P cat "$p" 2>"$root/man.err") \
            || fail "man $p failed: $(cat "$root/man.err")"
        [ ! -s "$root/man.err" ] || fail "man $p: $(cat "$root/man.err")"
        for section in NAME SYNOPSIS OPTIONS "EXIT STATUS" FILES EXAMPLES; do
            grep -q "^$section\$" <<<"$page" || fail "man $p has no $section"
        done
    done
    rm "$root/man.err"
    "${dpkg[@]}" -r kestrel-vanta >/dev/null
    "${dpkg[@]}" -s kestrel-vanta 2>/dev/null | grep -q '^Status: install ok installed' \
        && fail "dpkg still holds the package as installed"
    left=$(cd "$root" && find . -path ./var -prune -o -path ./home -prune -o -print | sed 1d)
    [ -z "$left" ] || fail "dpkg -r left behind: $left"
    [ -f "$HOME/t.tbl" ] && [ -f "$XDG_CONFIG_HOME/KestrelVanta/Kestrel_Vanta_Main.conf" ] \
        || fail "dpkg -r took the user's own files: $(find "$HOME")"
fi
echo "install test: passed"
