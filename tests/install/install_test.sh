#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a scratch root and uses the programs from there, away from the
# build tree: the companion files must be found in share/, the desktop files must pass
# the platform's validators.
set -euo pipefail
BUILD=$1
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
fail() { echo "install test: $*" >&2; exit 1; }

DESTDIR=$root cmake --install "$BUILD" --prefix /opt/kv >/dev/null
prefix=$root/opt/kv
for f in bin/kestrel-vanta bin/kestrel-vanta-cli bin/vanta-module-sim \
         share/kestrel-vanta/Vanta_Chart.oc2 share/kestrel-vanta/Vanta_EX_Max.dat \
         share/kestrel-vanta/Kestrel_Vanta.cfg share/man/man1/kestrel-vanta-cli.1 \
         share/icons/hicolor/48x48/apps/org.kestrelvanta.KestrelVanta.png; do
    [ -f "$prefix/$f" ] || fail "$f was not installed"
done
[ -z "$(ls "$prefix/bin" | grep -v -E '^(kestrel-vanta|kestrel-vanta-cli|vanta-module-sim)$')" ] \
    || fail "bin/ holds more than the three programs: $(ls "$prefix/bin")"

desktop-file-validate "$prefix/share/applications/org.kestrelvanta.KestrelVanta.desktop"
appstreamcli validate --no-net --explain \
    "$prefix/share/metainfo/org.kestrelvanta.KestrelVanta.metainfo.xml" >/dev/null \
    || fail "the AppStream metadata does not validate"

# The companion reads an EX table, which needs the EX limits from share/.
cd "$root"
"$prefix/bin/kestrel-vanta-cli" new --type EX --slope 2 -o "$root/t.tbl"
"$prefix/bin/kestrel-vanta-cli" show "$root/t.tbl" --json | grep -q '"type": "EX"' \
    || fail "show did not read back the EX table"
for p in kestrel-vanta kestrel-vanta-cli vanta-module-sim; do
    "$prefix/bin/$p" --version | grep -q -E "^$p [0-9]+\.[0-9]+" || fail "$p --version"
    "$prefix/bin/$p" --help | grep -q usage || fail "$p --help"
done

# The desktop program, offscreen: it reads the branding file and the chart template from
# share/ (a missing template would stop it at a message box, and the probe never print).
out=$(QT_QPA_PLATFORM=offscreen KV_STARTUP_PROBE=1 timeout 60 "$prefix/bin/kestrel-vanta")
grep -q "^companions=$prefix/share/kestrel-vanta$" <<<"$out" || fail "companion folder: $out"
grep -q "^caption=Orvane Kestrel Vanta" <<<"$out" || fail "caption: $out"
echo "install test: passed"
