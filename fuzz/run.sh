#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs every fuzz target for SECONDS, each from the corpus kept in fuzz/corpus/<target>
# plus what earlier runs found (build-fuzz/corpus/<target>), and prints one line a target.
#   fuzz/run.sh BIN_DIR [SECONDS] [TARGET...]
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
BIN=$1
SECONDS_EACH=${2:-60}
shift $(($# >= 2 ? 2 : $#))
TARGETS=("$@")
# By default every target the build made, so that a new one is run without a word here.
if [ ${#TARGETS[@]} -eq 0 ]; then
    for f in "$BIN"/fuzz-*; do [ -x "$f" ] && TARGETS+=("${f##*/fuzz-}"); done
    [ ${#TARGETS[@]} -gt 0 ] || { echo "no fuzz targets in $BIN" >&2; exit 1; }
fi
WORK=${KV_FUZZ_WORK:-$BIN/../corpus}
status=0
printf '%-16s %10s %12s %8s %s\n' target execs/s total corpus result
for t in "${TARGETS[@]}"; do
    mkdir -p "$WORK/$t" "$WORK/$t-crashes"
    log="$WORK/$t.log"
    # -timeout: one input that takes longer is a hang; -rss_limit_mb: a memory blow-up.
    if "$BIN/fuzz-$t" -max_total_time="$SECONDS_EACH" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$WORK/$t-crashes/" \
        "$WORK/$t" "$HERE/corpus/$t" >"$log" 2>&1; then
        result=ok
    else
        result="FAILED (see $log and $WORK/$t-crashes/)"
        status=1
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
    corpus=$(find "$WORK/$t" -type f | wc -l)
    printf '%-16s %10s %12s %8s %s\n' "$t" "${rate:-?}" "${runs:-?}" "$corpus" "$result"
done
exit $status
