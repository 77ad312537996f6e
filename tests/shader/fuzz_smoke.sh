#!/usr/bin/env bash
# Seeds the shader fuzz target with the real-world shaders, assembled, then fuzzes briefly.
set -euo pipefail
fuzzer=$1 shasm=$2 sources=$3 work=$4
mkdir -p "$work/seeds" "$work/corpus"
while IFS= read -r -d '' src; do
  "$shasm" asm "$src" -o "$work/seeds/$(basename "$src").bin"
done < <(find "$sources" -type f \( -name '*.vsh' -o -name '*.psh' -o -name '*.nvv' -o -name '*.nvp' \) -print0)
exec "$fuzzer" -artifact_prefix="$work/" -max_total_time=10 -max_len=4096 -rss_limit_mb=2048 -print_final_stats=1 \
  "$work/corpus" "$work/seeds"
