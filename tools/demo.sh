#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The program and a module emulator connected to it, for trying Kestrel Vanta without
# hardware. The program runs with a settings store of its own (under build/demo/), whose
# Com1 is the emulator's pseudo-terminal, so the user's own port setting is left alone.
# usage: tools/demo.sh BIN_DIR [--id TEXT] [other vanta-module-sim options]
set -euo pipefail
BIN=${1:?usage: tools/demo.sh BIN_DIR [emulator options]}
shift
DEMO=$(cd "$BIN/.." && pwd)/demo
mkdir -p "$DEMO/config/KestrelVanta"
LINK="$DEMO/module"
rm -f "$LINK"

"$BIN/vanta-module-sim" --link "$LINK" "$@" > "$DEMO/emulator.out" 2>&1 &
SIM=$!
trap 'kill $SIM 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -e "$LINK" ] && break; sleep 0.1; done
[ -e "$LINK" ] || { echo "demo: the emulator did not start" >&2; cat "$DEMO/emulator.out" >&2; exit 1; }

cat > "$DEMO/config/KestrelVanta/Kestrel_Vanta_Main.conf" <<CONF
[Ports]
Com1=$LINK

[Properties]
CommPort=1
CONF
echo "demo: module emulator on $LINK (Com1); try Communications > Download From EEPROM" >&2
XDG_CONFIG_HOME="$DEMO/config" "$BIN/kestrel-vanta"
