#!/usr/bin/env bash
# Runs one fuzz target for a number of seconds over its seeds, keeping what it finds in a corpus directory,
# and prints libFuzzer's final figures (executions, coverage). A crash or a broken property fails the run;
# the input that did it is kept beside the corpus directory as <corpus>-fallo-crash-*.
#
#   tests/fuzz/ejecutar.sh <target binary> <seconds> <seed dir> <corpus dir>
set -euo pipefail
objetivo="$1"
segundos="$2"
semillas="$3"
corpus="$4"
mkdir -p "$corpus"
cd "$corpus"
exec "$objetivo" -max_total_time="$segundos" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
    -print_final_stats=1 -artifact_prefix="${corpus%/}-fallo-" "$corpus" "$semillas"
