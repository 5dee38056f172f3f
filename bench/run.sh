#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Benchmarks. Speed is reported, never asserted: these machines are shared and noisy.
# usage: bench/run.sh BIN_DIR
set -euo pipefail
BIN=${1:?usage: bench/run.sh BIN_DIR}
export QT_QPA_PLATFORM=offscreen
RUNS=${KV_BENCH_RUNS:-5}

echo "== start-up (process start to main window shown, less the 4000 ms splash; offscreen)"
results=()
for i in $(seq "$RUNS"); do
    start=$(date +%s%N)
    out=$(KV_STARTUP_PROBE=1 "$BIN/kestrel-vanta" 2>/dev/null | grep shown_epoch_ns)
    shown=$(sed -E 's/.*shown_epoch_ns=([0-9]+).*/\1/' <<<"$out")
    peak=$(sed -E 's/.*peak=\s*([0-9]+) kB.*/\1/' <<<"$out")
    ms=$(( (shown - start) / 1000000 - 4000 ))
    results+=("$ms")
    echo "  run $i: startup_ms=$ms peak_mib=$(( peak / 1024 ))"
done
sorted=$(printf '%s\n' "${results[@]}" | sort -n)
echo "startup median_ms=$(sed -n "$(( (RUNS + 1) / 2 ))p" <<<"$sorted") (aim: at most 300 ms, 80 MiB)"

for tool in kv-chart-bench kv-edit-bench kv-file-bench kv-link-bench kv-transfer-bench; do
    if [ -x "$BIN/$tool" ]; then
        echo "== $tool"
        "$BIN/$tool"
    fi
done
